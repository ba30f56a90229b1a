; crlf.asm
        ORG 2000H
START:  MVI A, 5
        HLT
