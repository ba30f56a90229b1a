; count down from five
        ORG 2000H
START:  MVI B, 5
LOOP:   DCR B
        JNZ LOOP
        HLT
COUNT   EQU 10
TABLE:  DB 1, 0FFH, 300, -1
WORDS:  DW 1234H, FFFFH, 8000H
