; run-with: --kit dyna85 --board dac@8255:A
; A staircase of four steps on the DAC (port A of the 8255): 00H, 40H, 80H,
; C0H, each held for one pass of a 3-pass wait loop, then back to 00H.
; expect-status: 0
; expect-stop: kit-return
; The samples: the mode word drives 00H at step 2 (T 7); OUT 00H of 00H
; changes nothing (step 4, T 24); each step later takes OUT 10, MVI 7,
; 3 x (DCR 4 + JNZ 10) less 3 for the last JNZ, ADI 7, JNC 10 = 73 T and
; 10 instructions.
; expect-stdout: dac: 00H   (step 2, T-state 7)
; expect-stdout: dac: 40H   (step 14, T-state 97)
; expect-stdout: dac: 80H   (step 24, T-state 170)
; expect-stdout: dac: C0H   (step 34, T-state 243)
        ORG 2000H
        MVI A, 80H      ; all ports output, mode 0
        OUT 03H
        MVI A, 00H
STEP:   OUT 00H
        MVI B, 03H
HOLD:   DCR B
        JNZ HOLD
        ADI 40H
        JNC STEP
        RST 5
