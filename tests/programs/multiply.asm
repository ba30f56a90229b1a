; Multiply two 8-bit numbers by repeated addition, in a subroutine.
; expect-status: 0
; expect-stop: halt
; expect-dump: 2200 38 01
        LXI SP, 27FFH
        MVI B, 0CH       ; multiplicand
        MVI C, 1AH       ; multiplier
        CALL MULT
        SHLD 2200H       ; 12 x 26 = 312 = 0138H
        HLT
MULT:   LXI H, 0000H
        MOV E, B
        MVI D, 00H
AGAIN:  DAD D
        DCR C
        JNZ AGAIN
        RET
