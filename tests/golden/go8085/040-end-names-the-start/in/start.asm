; start.asm: a program that begins with its vector table
        ORG 003CH
        JMP 2100H       ; RST 7.5 goes to its routine

        ORG 2000H
START:  MVI A, 42H
        HLT

        ORG 2100H
        EI
        RET
        END START
