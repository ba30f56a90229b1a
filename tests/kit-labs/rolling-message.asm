; kit: sdk85
; "85" rolls in from the right through the 8279's display RAM (1800H data,
; 1900H command): each frame writes six segment codes (the kit's: a 0 bit
; lights a segment; 8 is 08H, 5 is 29H, dark FFH) from digit 0 on.
; expect-status: 0
; expect-stop: kit-return
; Frame 1: only digit 5 lights.
; expect-stdout: display:       8   (step
; Frame 2: digit 4 takes 8, then digit 5 takes 5.
; expect-stdout: display:      88   (step
; expect-stdout: display:      85   (step
; Frame 3: digits 3, 4, 5 take 8, 5 and dark in turn.
; expect-stdout: display:    8 85   (step
; expect-stdout: display:    8 55   (step
; expect-stdout: display:    8 5    (step
        ORG 2000H
        LXI SP, 20C0H
        LXI H, MSG
        MVI C, 03H      ; frames
FRAME:  MVI A, 90H      ; write the display RAM from digit 0, auto-increment
        STA 1900H
        PUSH H
        MVI B, 06H
DIGIT:  MOV A, M
        STA 1800H
        INX H
        DCR B
        JNZ DIGIT
        POP H
        INX H
        DCR C
        JNZ FRAME
        RST 1
MSG:    DB 0FFH, 0FFH, 0FFH, 0FFH, 0FFH, 08H, 29H, 0FFH
