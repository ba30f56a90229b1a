        ORG 2000H
        MVI A, 45H
        STA 2060H
        MVI A, 23H
        STA 2061H
        XRA A
        STA 2062H
        OUT 01H
        HLT
