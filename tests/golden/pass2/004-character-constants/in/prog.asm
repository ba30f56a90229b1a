; Character constants: a quoted character is its code.
        MVI A, 'A'          ; 3E 41
        MVI B, "a"          ; 06 61
        CPI ' '             ; FE 20   a blank
        MVI C, '+'          ; 0E 2B   a sign
        MVI D, 'A'+1        ; 16 42
        MVI E, 'A' + 1      ; 1E 42
        LXI H, 'Z'-'A'      ; 21 19 00
        ADI 5+'0'           ; C6 35
        MVI A, '"'          ; 3E 22
        MVI A, "'"          ; 3E 27
        MVI A, ';'          ; 3E 3B   no comment inside quotes
