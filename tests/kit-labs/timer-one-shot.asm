; run-with: --kit dyna85 --probe 8253:1
; A one-shot from counter 1 of the 8253 in mode 0: OUT 1 goes low with the
; control word and high again N + 1 clock pulses after the count N (20) is
; written, then stays high.
; expect-status: 0
; expect-stop: kit-return
; The high byte is written by the OUT of step 6 (T 38-48); the pulse at
; T 40 loads the count and the 20 pulses after it bring it to 0 at T 80,
; inside the JNZ of the loop's pass 1 (73-83), step 11.
; expect-stdout: 8253 out 1: 1   (step 11, T-state 83)
; expect-no-stdout: 8253 out 1: 0   (step 1
; expect-no-stdout: 8253 out 1: 0   (step 2
        ORG 2000H
        MVI A, 70H      ; counter 1, low byte then high byte, mode 0, binary
        OUT 13H
        MVI A, 20
        OUT 11H
        XRA A
        OUT 11H
        MVI B, 10
WAIT:   DCR B
        JNZ WAIT
        RST 5
