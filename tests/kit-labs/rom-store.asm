; kit: sdk85
; A store into the monitor's ROM is ignored, as on the board, and warned of;
; the 8155's ports at 20H-25H answer (the command register, then port A).
; expect-status: 0
; expect-stop: kit-return
; expect-stderr: Run8085: warning: the instruction at 2002H (rom-store.asm:10) stored into the monitor's ROM at 0100H; the kit ignores such stores (1 store)
; expect-dump: 2050 00 5A
        ORG 2000H
        MVI A, 5AH
        STA 0100H       ; the ROM keeps its byte (00H here)
        LDA 0100H
        STA 2050H
        MVI A, 01H      ; port A output
        OUT 20H
        MVI A, 5AH
        OUT 21H
        IN 21H
        STA 2051H
        RST 1
