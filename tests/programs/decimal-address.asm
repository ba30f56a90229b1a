; Load the byte at 5000 (meant as hexadecimal) and store its complement at 5001.
; expect-status: 0
; expect-stop: halt
; 5000 and 5001 are decimal, 1388H and 1389H; the byte at 1388H is 00.
; expect-stderr: write 5000H for hexadecimal
; expect-stderr: write 5001H for hexadecimal
; expect-dump: 1389 FF
        LDA 5000
        CMA
        STA 5001
        HLT
