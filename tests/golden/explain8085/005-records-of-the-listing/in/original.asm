; prog.asm: a label used but never defined
        ORG 2000H
START:  MVI B, 5
LOOP:   DCR B
        JNZ LOOPX
        HLT
