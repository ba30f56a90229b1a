;; bcd add -- mine
    org 2000h
    lda 2050h ;first low
    mov c,a
    lda 2052h ; second low
    add c
    daa
    sta 2060h
    lda 2051h
    mov c,a
    lda 2053h
    adc c
    daa
    sta 2061h
    mvi a,0
    aci 0
    sta 2062h
    out 01h
    hlt
