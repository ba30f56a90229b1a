; Sum of the array at 2051H, its count at 2050H; the sum goes to 2070H.
        ORG 2000H
START:  LXI H, 2050H    ; the count
        MOV C, M
        LXI D, 0        ; DE holds the sum
        MOV A, C
        ORA A
        JZ DONE         ; an empty array sums to 0
NEXT:   INX H
        MOV A, E
        ADD M
        MOV E, A
        JNC NOCARRY
        INR D
NOCARRY: DCR C
        JNZ NEXT
DONE:   XCHG
        SHLD 2070H
        HLT
