; hex.asm: a table and a pointer, written in hexadecimal without the H
        LXI D, 20A0
        MVI A, 3A
        STAX D
        HLT
TABLE:  DB 1F, 20H
