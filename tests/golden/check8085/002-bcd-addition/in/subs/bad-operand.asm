; BCD addition
        ORG 2000H
        LDA 2050H
        MOV B, A
        LDA 2052H
        ADD BC
        DAA
        STA 2060H
        HLT
