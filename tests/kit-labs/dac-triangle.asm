; run-with: --kit dyna85 --board dac@8255:A
; One period of a triangle on the DAC: up from 00H by 20H to E0H, then down
; by 20H to 20H; the next period would begin at 00H.
; expect-status: 0
; expect-stop: kit-return
; Up: OUT 10, ADI 7, CPI 7, JNZ 10 = 34 T and 4 instructions a sample.
; expect-stdout: dac: 00H   (step 2, T-state 7)
; expect-stdout: dac: 20H   (step 8, T-state 58)
; expect-stdout: dac: 40H   (step 12, T-state 92)
; At E0H the JNZ is not taken (7 T): E0H comes from DOWN's OUT, step 32,
; at 24 + 6 x 34 + 10 + 7 + 7 + 7 = 259.
; expect-stdout: dac: E0H   (step 32, T-state 259)
; Down: OUT 10, SUI 7, JNZ 10 = 27 T and 3 instructions a sample.
; expect-stdout: dac: C0H   (step 35, T-state 286)
; expect-stdout: dac: 20H   (step 50, T-state 421)
; expect-no-stdout: dac: 00H   (step 5
        ORG 2000H
        MVI A, 80H
        OUT 03H
        MVI A, 00H
UP:     OUT 00H
        ADI 20H
        CPI 0E0H
        JNZ UP
DOWN:   OUT 00H
        SUI 20H
        JNZ DOWN
        RST 5
