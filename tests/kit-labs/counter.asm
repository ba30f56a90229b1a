; kit: sdk85
; A count from 01 to 03 on the data field through the monitor's routine at
; 036EH (inside UPDDT: A on the data field), then back to the monitor.
; expect-status: 0
; expect-stop: kit-return
; LXI 10, MVI 7, MOV 4, CALL 18: the routine is entered after step 4, T 39.
; expect-stdout: display:      01   (step 4, T-state 39)
; Each pass adds INR 4, MOV 4, CPI 7, JNZ 10, MOV 4, CALL 18: 6 steps, 47 T.
; expect-stdout: display:      02   (step 10, T-state 86)
; expect-stdout: display:      03   (step 16, T-state 133)
; expect-stderr: Run8085: note: returned to the monitor (RST 1)
        ORG 2000H
        LXI SP, 20C0H
        MVI C, 01H
SHOW:   MOV A, C
        CALL 036EH      ; A on the data field
        INR C
        MOV A, C
        CPI 04H
        JNZ SHOW
        RST 1
