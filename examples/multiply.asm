; multiply.asm: multiplies two bytes the way it is done on paper, in binary:
; for each bit of the multiplier, from the lowest up, add the multiplicand
; when the bit is 1, then shift the multiplicand one place to the left.
; The 16-bit product goes to PRODUCT, low byte first.

        ORG 2000H
START:  LDA MCAND       ; the multiplicand, widened to 16 bits in DE
        MOV E, A
        MVI D, 0
        LDA MPLIER      ; the multiplier, one bit at a time out of C
        MOV C, A
        LXI H, 0        ; HL collects the product
        MVI B, 8        ; eight bits to look at
NEXT:   MOV A, C
        RAR             ; the lowest bit of the multiplier goes into CY
        MOV C, A
        JNC SKIP        ; a 0 bit adds nothing
        DAD D           ; a 1 bit adds the shifted multiplicand
SKIP:   XCHG            ; shift the multiplicand left: DE = DE + DE
        DAD H
        XCHG
        DCR B
        JNZ NEXT
        SHLD PRODUCT
        HLT

MCAND:  DB 25
MPLIER: DB 13
PRODUCT: DW 0           ; 25 * 13 = 325, that is 0145H
