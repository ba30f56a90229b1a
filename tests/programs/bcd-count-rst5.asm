; Count 0 to 9 in BCD in register C, then return to the monitor (RST 5).
; C ends at 09H, and RST 5 returns to the kit's monitor at 0028H.
; expect-status-with-map: 0
; expect-stop-with-map: kit
; expect-stderr-with-map: 0028H
        MVI C, 00H
UP:     MOV A, C
        ADI 01H
        DAA
        MOV C, A
        CPI 09H
        JNZ UP
        RST 5
