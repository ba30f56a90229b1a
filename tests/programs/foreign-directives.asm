        .title  Largest of three bytes
        .module largest
        .8085
        .area   CODE (ABS)
; expect-status: 0
; expect-stop: halt
; expect-dump: 2050 9A
; expect-stderr: .title changes nothing here: the line is read as a comment
; expect-stderr: .area with one area changes nothing here
; expect-stderr: #VALUES is read as VALUES
; expect-stderr: 0x2050 is read as 2050H
; expect-stderr: as END names it
START:  LXI H, #VALUES
        MOV A, M
        INX H
        CMP M
        JNC SKIP1
        MOV A, M
SKIP1:  INX H
        CMP M
        JNC SKIP2
        MOV A, M
SKIP2:  STA 0x2050
        HLT
VALUES: DB 0x47, 0x9A, 0x12
        END START
