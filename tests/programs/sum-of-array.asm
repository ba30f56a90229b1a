; Sum of an array of N bytes; N at 3000H, the bytes from 3001H.
; The sum goes to 3100H. Ends with RST 1 for the kit's monitor.
; 2 + 4 + 6 + 8 + 0AH = 1EH.
; expect-status: 0
; expect-stop: left-program
; expect-stderr: jumped to 0008H, where the program placed nothing; a trainer kit returns to its monitor here
; expect-dump: 3100 1E
; expect-stderr: put a blank before ';'
        LXI H,3000H
        MOV C,M         ;count
        MVI A,00H
        INX H;first element
LOOP:   ADD M
        INX H;NEXT
        DCR C
        JNZ LOOP
        STA 3100H
        RST 1
        ORG 3000H
        DB 05H, 02H, 04H, 06H, 08H, 0AH
