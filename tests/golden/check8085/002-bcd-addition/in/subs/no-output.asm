; BCD addition without showing the carry digit
        ORG 2000H
        LDA 2050H
        MOV B, A
        LDA 2052H
        ADD B
        DAA
        STA 2060H
        LDA 2051H
        MOV B, A
        LDA 2053H
        ADC B
        DAA
        STA 2061H
        MVI A, 0
        ACI 0
        STA 2062H
        HLT
