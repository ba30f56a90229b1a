; run-with: --kit dyna85 --board stepper@8255:A
; A stepper motor turned four full steps clockwise, one winding at a time
; (A, B, C, D on bits 0-3 of port A), then one back. 1.8 degrees a step.
; expect-status: 0
; expect-stop: kit-return
; The mode word drives 00H (no winding: the rotor stays at 0.0); 01H holds
; it there. 02H comes with the OUT of step 12 (OUT 6, RLC 7, ANI 8, JNZ 9,
; DCR 10, JNZ 11), which began at T 86.
; expect-stdout: stepper: 0.0 degrees   (step 3, T-state 17)
; expect-stdout: stepper: 1.8 degrees   (step 12, T-state 86)
; expect-stdout: stepper: 3.6 degrees
; expect-stdout: stepper: 5.4 degrees
; 01H after 08H is the next step clockwise, not three back.
; expect-stdout: stepper: 7.2 degrees
; expect-stdout: stepper: 5.4 degrees   (step 38,
        ORG 2000H
        LXI SP, 3000H
        MVI A, 80H
        OUT 03H
        MVI A, 01H      ; winding A
        MVI C, 05H
TURN:   OUT 00H
        RLC             ; the next winding: 01H, 02H, 04H, 08H, 10H
        ANI 0FH
        JNZ KEEP
        MVI A, 01H      ; after D comes A again
KEEP:   DCR C
        JNZ TURN
        MVI A, 08H      ; one step back: D again
        OUT 00H
        RST 5
