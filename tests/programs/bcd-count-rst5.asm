; Count 0 to 9 in BCD in register C, then return to the monitor (RST 5).
; C ends at 09H, and RST 5 returns to the kit's monitor at 0028H.
; expect-status: 0
; expect-stop: left-program
; expect-stderr: 0028H
        MVI C, 00H
UP:     MOV A, C
        ADI 01H
        DAA
        MOV C, A
        CPI 09H
        JNZ UP
        RST 5
