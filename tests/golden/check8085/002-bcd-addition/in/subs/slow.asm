; BCD addition, then a pause so the display can be read
        ORG 2000H
        LDA 2050H       ; low digits
        MOV B, A
        LDA 2052H
        ADD B
        DAA
        STA 2060H
        LDA 2051H       ; high digits, with the decimal carry
        MOV B, A
        LDA 2053H
        ADC B
        DAA
        STA 2061H
        MVI A, 0        ; the fifth digit
        ACI 0
        STA 2062H
        OUT 01H
        MVI D, 40       ; a pause
WAIT:   DCR D
        JNZ WAIT
        HLT
