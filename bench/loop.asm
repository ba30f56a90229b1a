; A long-running CP/M program for the simulator's benchmark: 12 instructions
; a turn, 65536 turns, 255 times, 5 times (about 1,000 million
; instructions), then it prints "." and leaves through 0000H.
        ORG 0100H
        LXI SP, 0F000H
        LXI H, 8000H
        MVI D, 5
L4:     MVI E, 255
L3:     LXI B, 0
L2:     MOV A, M
        ADD C
        MOV M, A
        INR L
        CALL SUB
        DCX B
        MOV A, B
        ORA C
        JNZ L2
        DCR E
        JNZ L3
        DCR D
        JNZ L4
        MVI C, 2
        MVI E, 46
        CALL 5
        JMP 0
SUB:    XRA B
        RAL
        RET
