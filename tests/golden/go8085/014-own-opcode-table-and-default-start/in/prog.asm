; the source directory has its own opcode table: the run log stays in etc/
        ORG 2100H
        MVI A, 2AH
        OUT 1
        PUSH PSW        ; the default stack pointer 0000H: the push goes to FFFEH
        HLT
