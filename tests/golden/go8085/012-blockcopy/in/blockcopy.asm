; blockcopy.asm: copies a block of memory to another place, one byte at a
; time, with a pointer for each block and a count of the bytes left.

LENGTH  EQU 12          ; how many bytes to copy
TARGET  EQU 2060H       ; where the copy goes

        ORG 2000H
START:  LXI H, SOURCE   ; HL: the next byte to copy
        LXI D, TARGET   ; DE: where it goes
        MVI B, LENGTH   ; B: how many bytes are left
AGAIN:  MOV A, M        ; fetch a byte
        STAX D          ; and store it
        INX H           ; move both pointers on
        INX D
        DCR B           ; one byte less to go
        JNZ AGAIN
        HLT

; the text "Hello, 8085!" in ASCII codes
        ORG 2040H
SOURCE: DB 48H, 65H, 6CH, 6CH, 6FH, 2CH, 20H, 38H, 30H, 38H, 35H, 21H
