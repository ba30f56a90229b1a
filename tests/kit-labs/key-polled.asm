; kit: sdk85
; run-with: --keys 5
; A key read from the 8279 itself: the status at 1900H says how many keys
; the FIFO holds; a read command (40H), then the key at 1800H. The key is
; kept at 2050H.
; expect-status: 0
; expect-stop: kit-return
; expect-dump: 2050 05
        ORG 2000H
        LXI SP, 20C0H
WAITKEY: LDA 1900H      ; status: the FIFO's count in bits 2-0
        ANI 07H
        JZ WAITKEY
        MVI A, 40H      ; read the FIFO
        STA 1900H
        LDA 1800H
        STA 2050H
        RST 1
