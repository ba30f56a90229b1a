        .title "mask"
; mask the low nibble of 0C5H
        MVI A, #0C5H
        ANI 0x0F
        HLT
