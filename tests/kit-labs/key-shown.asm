; kit: sdk85
; run-with: --keys 7,C
; Two keys read through the monitor's RDKBD (02E7H), each shown on the data
; field through 036EH.
; expect-status: 0
; expect-stop: kit-return
; LXI 10, MVI 7, CALL 18 (RDKBD, step 3), CALL 18: step 4, T 53.
; expect-stdout: display:      07   (step 4, T-state 53)
; DCR 4, JNZ 10, CALL 18, CALL 18: step 8, T 103.
; expect-stdout: display:      0C   (step 8, T-state 103)
        ORG 2000H
        LXI SP, 20C0H
        MVI C, 02H
NEXTKEY: CALL 02E7H     ; RDKBD: the key in A
        CALL 036EH      ; A on the data field
        DCR C
        JNZ NEXTKEY
        RST 1
