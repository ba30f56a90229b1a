// Add 5 and 3
// expect-status: 1
// expect-stderr: comments start with ';'
        MVI A, 05H
        ADI 03H   // the sum
        HLT
