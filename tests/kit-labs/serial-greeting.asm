; run-with: --kit dyna85
; A greeting through the 8251 (data at 20H, mode and command at 21H): the
; mode word 4EH (asynchronous, x16, 8 data bits, no parity, 1 stop bit),
; the command 01H (transmitter on), then each character once the status
; says TxRDY (bit 0); at the end the program waits for TxEMPTY (bit 2).
; expect-status: 0
; expect-stop: kit-return
; expect-stdout: 8251 sent: HELLO\x0D\x0A
        ORG 2000H
        LXI SP, 3000H
        MVI A, 4EH
        OUT 21H
        MVI A, 01H
        OUT 21H
        LXI H, TEXT
SEND:   MOV A, M
        ORA A
        JZ DONE
WAITTX: IN 21H
        ANI 01H         ; TxRDY
        JZ WAITTX
        MOV A, M
        OUT 20H
        INX H
        JMP SEND
DONE:   IN 21H
        ANI 04H         ; TxEMPTY
        JZ DONE
        RST 5
TEXT:   DB 'HELLO', 0DH, 0AH, 0
