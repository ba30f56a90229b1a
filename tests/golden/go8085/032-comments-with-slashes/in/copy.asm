// copy.asm: copy a byte from 2050H to 2051H
        LDA 2050H
        STA 2051H   // store it
        HLT
