; mask and add, written for an assembler of the ASxxxx family
        MVI A, #0x3C
        ANI 0x0F
        ADI #12
        LXI H, 0x2050
        MOV M, A
        HLT
