; run-with: --kit dyna85 --board traffic@8255:A,B
; A traffic light through the 8255 (ports A and B output, mode 0): port A
; drives north (bits 0-2 red, amber, green) and east (bits 3-5), port B
; south and west. Three phases, a short wait in each.
; expect-status: 0
; expect-stop: kit-return
; Each line names the instruction that changed the lamps and the T-state
; it began at. The mode word (OUT, step 3, after LXI 10 and MVI 7) clears
; every output: all lamps dark.
; expect-stdout: traffic: N:- E:- S:- W:-   (step 3, T-state 17)
; Phase 1, north and south green, east and west red (0CH on both ports).
; OUT 10, LXI 10, MVI 7, MOV 7: the OUT to port A is step 7 at T 51; INX 6
; and MOV 7 later, the OUT to port B is step 10 at T 74.
; expect-stdout: traffic: N:G E:R S:- W:-   (step 7, T-state 51)
; expect-stdout: traffic: N:G E:R S:G W:R   (step 10, T-state 74)
; Phase 2, north and south amber (0AH).
; expect-stdout: traffic: N:A E:R S:G W:R
; expect-stdout: traffic: N:A E:R S:A W:R
; Phase 3, north and south red, east and west green (21H).
; expect-stdout: traffic: N:R E:G S:A W:R
; expect-stdout: traffic: N:R E:G S:R W:G
        ORG 2000H
        LXI SP, 3000H
        MVI A, 80H      ; ports A, B and C output, mode 0
        OUT 03H
        LXI H, PHASES
        MVI C, 03H
CYCLE:  MOV A, M
        OUT 00H         ; north and east
        INX H
        MOV A, M
        OUT 01H         ; south and west
        INX H
        CALL DELAY
        DCR C
        JNZ CYCLE
        RST 5
DELAY:  MVI B, 10H
WAIT:   DCR B
        JNZ WAIT
        RET
PHASES: DB 0CH, 0CH, 0AH, 0AH, 21H, 21H
