;count the letters of a message up to its '$'
; expect-status: 0
; expect-stop: halt
; expect-dump: 2009 05
; expect-stderr: DS 1 reserves 1 byte: placed as DB 0
; expect-stderr: the string 'HELLO$' in DB is read as its characters' codes: 72, 69, 76, 76, 79, 36

        jmp start

;data
msg:    db 'HELLO$'
len:    ds 1

;code
start:  lxi h, msg
        mvi b, 0
next:   mov a, m
        cpi '$'
        jz done
        inr b
        inx h
        jmp next
done:   mov a, b
        sta len
        hlt
