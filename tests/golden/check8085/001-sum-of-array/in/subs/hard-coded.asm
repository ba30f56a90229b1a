; the answer
        ORG 2000H
        MVI A, 0FH
        STA 2070H
        MVI A, 0
        STA 2071H
        HLT
