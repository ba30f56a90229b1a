; Sum of the array
        ORG 2000H
        LXI H, 2050H
        MOV C, M
        LXI D, 0
NEXT:   INX H
        MOV A, E
        ADD M
        MOV E, A
        JNC NEXT        ; meant to skip the INR D
        INR D
        DCR C
        JNZ NEXT
        XCHG
        SHLD 2070H
        HLT
