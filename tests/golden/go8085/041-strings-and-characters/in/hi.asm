; compare the first letter of a message with 'H'
        LXI H, MSG
        MVI A, 'H'
        CMP M
        JNZ BAD
        MVI B, 'i'
        HLT
BAD:    MVI B, 0
        HLT
MSG:    DB 'HI$'
NAME:   DB "ok", 0
