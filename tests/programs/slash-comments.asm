// Add 5 and 3
// expect-status: 0
// expect-stop: halt
// expect-stderr: '//' is read as ';'
        MVI A, 05H
        ADI 03H   // the sum
        HLT
