; A square wave on port 01H through SOD-free OUT, forever (a kit program).
; expect-status: 2
; expect-stop: step-limit
; expect-stdout: place: inside the program at
        MVI A, 00H
TOGGLE: OUT 01H
        CMA
        MVI B, 10H
DELAY:  DCR B
        JNZ DELAY
        JMP TOGGLE
