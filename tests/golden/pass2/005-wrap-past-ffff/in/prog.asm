; An instruction that runs past FFFFH goes on at 0000H.
        ORG FFFEH
TOP:    LXI H, TOP          ; FFFE: 21 FE | 0000: FF
        HLT                 ; 0001: 76
