// multiply 6 by 7 by repeated addition
// expect-status: 0
// expect-stop: halt
// expect-dump: 2100 2A
// expect-stderr: '//' is read as ';': the rest of the line is a comment
// expect-stderr: LOOP:ADD is read as LOOP: ADD (1 other line too)
        MVI B, 7        // the count
        MVI C, 6
        XRA A
LOOP:ADD C              // A = A + C
        DCR B
        JNZ LOOP
DONE:STA 2100H
        HLT
