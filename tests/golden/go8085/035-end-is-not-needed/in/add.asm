; add.asm: 2 + 3
        MVI A, 2
        ADI 3
        HLT
        END
; the end
