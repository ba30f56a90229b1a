; count.asm: count the bytes of a table that are equal to 5
        ORG 2000H
        LXI H, TABLE    ; first byte
        MVI B, 4        ; four bytes
        MVI D, 0        ; count
NEXT:   MOV A, M
        CPI 5; IS IT FIVE
        JNZ SKIP
        INR D
SKIP:   INX H;POINT TO NEXT
        DCR B
        JNZ NEXT
        HLT
TABLE:  DB 5, 3, 5, 9
