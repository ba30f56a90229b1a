; Sum of the array
        ORG 2000H
        LXI H, 2050H
        MOVE C, M
        LXI D, 0
        HLT
