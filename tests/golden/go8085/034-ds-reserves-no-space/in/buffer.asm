; buffer.asm: fill a buffer with 0FFH
        LXI H, BUF
        MVI B, 4
FILL:   MVI M, 0FFH
        INX H
        DCR B
        JNZ FILL
        HLT
BUF:    DS 4
