start: mvi a, 'x y'
        db 'A', LOOP
ALONE:
X: DB
        DW
        ORG
COUNT   EQU
STRAY
TWO WORDS
L2: ORG 100H
        HLT A B
        ORG FFFFH
        HLT
        HLT
        MVI B, 7
AFTER:  HLT
