; kit style: every number typed as the keypad shows it
        LXI H, 20FF
        MVI A, 0FF
        MVI B, C3
        MOV M, A
        STA 2100   ; 2100 can be decimal: it stays decimal
        HLT
