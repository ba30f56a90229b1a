; find the largest of a list; count at 2100h, list from 2101h,
; largest to 2200h
; expect-status: 0
; expect-stop: halt
; expect-dump: 2200 9F
; expect-stderr: put a blank before ';'
        lxi h, 2100h
        mov c, m        ; count
        inx h
        mov a, m        ; first is the largest so far
        dcr c
next:   inx h
        cmp m; is it bigger?
        jnc skip
        mov a, m
skip:   dcr c
        jnz next
        sta 2200h
        hlt
        org 2100h
        db 5, 12h, 9fh, 33h, 7, 80h
