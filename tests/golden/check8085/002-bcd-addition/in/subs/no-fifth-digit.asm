; BCD addition; the sum fits in four digits
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
        XRA A
        STA 2062H
        OUT 01H
        HLT
