; prog.asm: a letter slipped
        ORG 2000H
START: MVO A, B
        HLT
