; bcdadd.asm: adds two 8-digit decimal numbers kept in packed BCD, two
; digits a byte, lowest byte first. ADC adds two bytes as binary numbers;
; DAA turns the sum back into two decimal digits and leaves the decimal
; carry in CY for the next byte.

BYTES   EQU 4           ; each number is 4 bytes, 8 digits

        ORG 2000H
START:  LXI H, FIRST    ; HL walks the first number; the sum replaces it
        LXI D, SECOND   ; DE walks the second number
        MVI C, BYTES    ; C counts the bytes
        ORA A           ; nothing to carry into the lowest byte: CY = 0
NEXT:   LDAX D          ; two digits of the second number
        ADC M           ; plus two digits of the first, plus the carry
        DAA             ; back to two decimal digits, CY = decimal carry
        MOV M, A        ; two digits of the sum
        INX H           ; INX and DCR leave CY alone
        INX D
        DCR C
        JNZ NEXT
        MVI A, 0        ; the carry out of the top byte
        ACI 0           ; is the ninth digit of the sum
        MOV M, A
        HLT

        ORG 2040H
FIRST:  DB 21H, 43H, 65H, 87H, 0     ; 87654321, and room for a ninth digit
SECOND: DB 12H, 89H, 67H, 45H        ; 45678912
