; constructs whose meaning is in doubt stay refused, each with its advice
BUF:    DS LATER
BIG:    DS 100
        DEFS 4, 0FFH
        MVI A, $C0
        JMP $
        .globl  OUTSIDE
        .area   CODE
        .area   DATA
        DB 'IT''S'
        DW 'AB'
        DB 101B, 10D
MSG:    DB 'a message of more than fourteen characters'
        IF DEBUG
LATER   EQU 4
        HLT
