; add up a table, with the other assemblers' spellings of ORG, DB, DW and EQU
        .org    0x2000
COUNT   .equ    3
        LXI H, TABLE
        MVI B, COUNT
        MVI A, 0
NEXT:   ADD M
        INX H
        DCR B
        JNZ NEXT
        STA 0x2040
        HLT
TABLE:  .byte   1, 2, 3
WORDS:  .word   0x1234
NAME:   .ascii  "ok"
