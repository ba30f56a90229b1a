; Sum of the array: adds the bytes in A
        ORG 2000H
        LXI H, 2050H
        MOV C, M
        XRA A
        ORA C
        JZ STORE
        XRA A
LOOP:   INX H
        ADD M
        DCR C
        JNZ LOOP
STORE:  STA 2070H
        XRA A
        STA 2071H
        HLT
