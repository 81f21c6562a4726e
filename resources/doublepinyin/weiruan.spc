; Weiruan double pinyin layout.
; Syllables without initial begin with the key o: oa (a), oe (e), oo (o), ol (ai), oz (ei),
; ok (ao), ob (ou), oj (an), of (en), oh (ang), og (eng), or (er).
[sm]
zh=v
ch=i
sh=u

[ym]
a=a
e=e
iu=q
ia=w
ua=w
uan=r
er=r
ue=t
ve=t
uai=y
v=y
uo=o
o=o
un=p
iong=s
ong=s
iang=d
uang=d
en=f
eng=g
ang=h
an=j
ao=k
ai=l
ing=;
ei=z
ie=x
iao=c
ui=v
ou=b
in=n
ian=m

[zm]
prefix=o
