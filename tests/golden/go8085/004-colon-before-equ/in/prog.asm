; a constant written with a colon, as other assemblers allow
COUNT:  EQU 5
Result: equ 3000H
        MVI A, COUNT
        STA RESULT
        HLT
