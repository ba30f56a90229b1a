; the source directory has its own opcode table: pass 1 runs on a copy of it
        ORG 2100H
        MVI A, 2AH
        OUT 1
        PUSH PSW        ; the default stack pointer 0000H: the push goes to FFFEH
        HLT
