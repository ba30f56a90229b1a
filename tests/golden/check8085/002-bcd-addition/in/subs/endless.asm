; BCD addition
        ORG 2000H
START:  LDA 2050H
        MOV B, A
        LDA 2052H
        ADD B
        DAA
        STA 2060H
        JMP START       ; meant to go on to the high digits
