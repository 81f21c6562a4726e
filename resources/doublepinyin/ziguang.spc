; Ziguang double pinyin layout.
; Syllables without initial begin with the key o: oa (a), oe (e), oo (o), op (ai), ok (ei),
; oq (ao), oz (ou), or (an), ow (en), os (ang), ot (eng), oj (er).
[sm]
zh=u
ch=a
sh=i

[ym]
a=a
e=e
ao=q
en=w
an=r
eng=t
in=y
uai=y
uo=o
o=o
ai=p
ang=s
ie=d
ian=f
iang=g
uang=g
ong=h
iong=h
er=j
iu=j
ei=k
uan=l
ing=;
ou=z
ia=x
ua=x
v=v
iao=b
ui=n
ue=n
ve=n
un=m

[zm]
prefix=o
