; Sum of the array, back to the kit's monitor at the end
        ORG 2000H
        LXI H, 2050H
        MOV C, M
        LXI D, 0
        INR C
COUNT:  DCR C
        JZ DONE
        INX H
        MOV A, E
        ADD M
        MOV E, A
        MVI A, 0
        ADC D
        MOV D, A
        JMP COUNT
DONE:   XCHG
        SHLD 2070H
        RST 1
