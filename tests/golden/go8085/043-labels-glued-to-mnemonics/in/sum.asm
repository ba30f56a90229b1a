; sum 5 + 4 + 3 + 2 + 1 into A
        MVI C, 5
        XRA A
LOOP:ADD C
        DCR C
        JNZ LOOP
DONE:HLT
