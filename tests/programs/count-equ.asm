; Count down from COUNT, keeping each value in a table.
; expect-status: 0
; expect-stop: halt
; expect-dump: 2300 05 04 03 02 01
; expect-stderr: COUNT: EQU is read as COUNT EQU (the colon is dropped)
; expect-stderr: END is not needed
COUNT:  EQU 5
TABLE:  EQU 2300H
        LXI H, TABLE
        MVI B, COUNT
STORE:  MOV M, B
        INX H
        DCR B
        JNZ STORE
        HLT
        END
