; Ziranma double pinyin layout.
; Syllables without initial are typed with their own first letter: aa, ai, an, ah (ang), ao,
; ee, ei, en, eg (eng), er, oo, ou.
[sm]
zh=v
ch=i
sh=u

[ym]
iu=q
ia=w
ua=w
uan=r
van=r
ue=t
ve=t
uai=y
ing=y
; "o" is typed by the key letter itself; listing it here would make "ao" read as "o".
uo=o
un=p
iong=s
ong=s
iang=d
uang=d
en=f
eng=g
; lets "eg" give eng
ng=g
ang=h
an=j
ao=k
ai=l
ei=z
ie=x
iao=c
ui=v
v=v
ou=b
in=n
ian=m

[zm]
prefix=$
