; run-with: --kit dyna85 --probe 8253:0
; A square wave from counter 0 of the 8253 (mode 3, count 100): the kit
; clocks the counter at half the processor's clock, so OUT 0 is high for
; 50 counts (100 T-states) and low for 50. The probe names each change with
; the instruction in which it came and the T-state count at that
; instruction's end.
; expect-status: 0
; expect-stop: kit-return
; The control word (OUT, step 2, T 7-17) sets OUT high in mode 3.
; expect-stdout: 8253 out 0: 1   (step 2, T-state 17)
; The count's high byte is written by the OUT of step 6 (T 38-48); the
; clock pulses come at even T-states, and the one at T 40 loads the count.
; OUT falls 50 pulses later, at T 140, inside the DCR of pass 6 of the loop
; (MVI B ends at 55; pass i is DCR 55+14i to 59+14i, JNZ to 69+14i), which
; is step 8 + 2 x 6 = 20 and ends at 143.
; expect-stdout: 8253 out 0: 0   (step 20, T-state 143)
; T 240: pass 13's DCR (237-241), step 34.
; expect-stdout: 8253 out 0: 1   (step 34, T-state 241)
; T 340: pass 20's JNZ (339-349), step 49.
; expect-stdout: 8253 out 0: 0   (step 49, T-state 349)
; T 440: pass 27's JNZ (437-447), step 63.
; expect-stdout: 8253 out 0: 1   (step 63, T-state 447)
        ORG 2000H
        MVI A, 36H      ; counter 0, low byte then high byte, mode 3, binary
        OUT 13H
        MVI A, 64H      ; 100
        OUT 10H
        XRA A
        OUT 10H
        MVI B, 30
WAIT:   DCR B
        JNZ WAIT
        RST 5
