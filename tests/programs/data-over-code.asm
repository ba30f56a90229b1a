; Block copy from 2050H to 2000H: the destination is where the program is.
; The copy replaces LXI H, 2050H and the first byte of LXI D, 2000H, which
; have run already, so the loop still ends at HLT.
; expect-status: 0
; expect-stop: halt
; expect-dump: 2000 11 22 33 44
; expect-stderr: overwrites the program's own code
        LXI H, 2050H
        LXI D, 2000H
        MVI C, 04H
COPY:   MOV A, M
        STAX D
        INX H
        INX D
        DCR C
        JNZ COPY
        HLT
        ORG 2050H
        DB 11H, 22H, 33H, 44H
