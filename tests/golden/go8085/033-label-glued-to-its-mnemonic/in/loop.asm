; loop.asm: count down from 3
        MVI B, 3
LOOP:DCR B
        JNZ LOOP
        HLT
