; countdown.asm: counts from COUNT down to 1, sends each value to an output
; port, keeps it in a table, then halts.

COUNT   EQU 10              ; where the count starts
PORT    EQU 01H             ; the port that shows each value

        ORG 2000H
START:  LXI H, TABLE        ; HL points at the table
        MVI B, COUNT        ; B counts down
LOOP:   MOV A, B
        OUT PORT            ; show the value
        MOV M, A            ; and keep it
        INX H
        DCR B
        JNZ LOOP
        HLT

        ORG 2040H
TABLE:  DB 0, 0, 0, 0, 0, 0, 0, 0, 0, 0
STEPS:  DW 10, 2040H        ; how many values, and where they are
