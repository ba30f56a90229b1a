; Lab 1: add two 8-bit numbers stored at 2050H and 2051H, result at 2052H.
; Saved from a Windows editor: CR LF line ends.
; expect-status: 0
; expect-stop: halt
; expect-dump: 2052 5C
; expect-stderr: LF line ends
        org 2000h
        lda 2050h       ; first number
        mov b, a
        lda 2051h       ; second number
        add b
        sta 2052h       ; store the sum
        hlt
        org 2050h
        db 25h, 37h
