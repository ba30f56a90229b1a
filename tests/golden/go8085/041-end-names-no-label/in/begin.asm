        ORG 2000H
BEGIN:  MVI A, 1
        HLT
        END START
