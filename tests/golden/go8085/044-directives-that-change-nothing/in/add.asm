        .title  Add two bytes
        .sbttl  Main
        .module add
        .8085
        .area   CODE (ABS)
START:  MVI A, 5
        ADI 7
        HLT
        .area   CODE (ABS)
        END START
