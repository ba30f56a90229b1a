; store.asm: store 42H at 5000H (written without its H)
        MVI A, 42H
        STA 5000
        HLT
