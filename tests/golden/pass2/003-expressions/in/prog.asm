; Values as expressions of numbers, symbols and signs.
COUNT   EQU 10
EACH    EQU 7               ; a name that reads as hexadecimal too
FADEH   EQU 300H
NEG     EQU -1              ; a byte: the symbol file says 255
BIG     EQU 8000H           ; a word: the symbol file says -32768
        ORG 2000H
START:  MVI A, COUNT+5      ; 3E 0F
        MVI B, COUNT - 3    ; 06 07   three fields, joined
        MVI C, -1           ; 0E FF
        MVI D, +20          ; 16 14
        MVI E, EACH         ; 1E 07   the symbol, not 0EACH
        LXI H, EACH         ; 21 07 00
        LXI D, FADEH        ; 11 00 03
        LXI B, FFH          ; 01 FF 00   no such symbol: hexadecimal
        LXI SP, 0FFFFH      ; 31 FF FF
        LXI H, START+COUNT-2 ; 21 08 20
        LDA START           ; 3A 00 20
        STA BIG+1           ; 32 01 80
        MVI A, NEG          ; 3E FF
        MVI A, NEG-256      ; 3E FF
        LXI H, -32768       ; 21 00 80
        JMP 65535           ; C3 FF FF
        OUT 0feh            ; D3 FE
        IN 255-255          ; DB 00
        RST COUNT-3         ; FF
        RST 0               ; C7
        LXI B, 12 + 0AH + 1H ; 01 17 00
