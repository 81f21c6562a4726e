; Xiaohe double pinyin layout.
; Syllables without initial are typed with their own first letter: aa, ai, an, ah (ang), ao,
; ee, ei, en, eg (eng), er, oo, ou.
[sm]
zh=v
ch=i
sh=u

[ym]
iu=q
ei=w
uan=r
van=r
ue=t
ve=t
un=y
; "o" is typed by the key letter itself; listing it here would make "ao" read as "o".
uo=o
ie=p
iong=s
ong=s
ai=d
en=f
eng=g
; lets "eg" give eng
ng=g
ang=h
an=j
uai=k
ing=k
iang=l
uang=l
ou=z
ia=x
ua=x
ao=c
ui=v
v=v
in=b
iao=n
ian=m

[zm]
prefix=$
