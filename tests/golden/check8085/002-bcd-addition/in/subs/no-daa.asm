; BCD addition
        ORG 2000H
        LHLD 2050H
        XCHG
        LHLD 2052H
        MOV A, L
        ADD E
        STA 2060H
        MOV A, H
        ADC D
        STA 2061H
        MVI A, 0
        ACI 0
        STA 2062H
        OUT 01H
        HLT
