;sum of two numbers, GNUSim8085 style
        jmp start
;data
a1:     db 25h
a2:     db 17h
sum:    ds 1
SIZE    equ 3
buf:    ds SIZE
;code
start:  lda a1
        mov b, a
        lda a2
        add b
        sta sum
        hlt
