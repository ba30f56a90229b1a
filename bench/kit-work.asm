; Work for timing a kit's run against a plain one (bench/README.md): a block
; copy with a running sum, over and over, in the Dyna-85's RAM.
        ORG 2000H
        LXI SP, 3000H
OUTER:  LXI H, 2100H
        LXI D, 2200H
        MVI B, 0
COPY:   MOV A, M
        STAX D
        ADD B
        MOV B, A
        INX H
        INX D
        PUSH B
        POP B
        MOV A, L
        ORA A
        JNZ COPY
        JMP OUTER
