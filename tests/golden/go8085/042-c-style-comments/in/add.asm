/* add.asm: add two numbers,
   written for another study tool */
// the first number
        MVI A, 12H      // A = 12H
        ADI 30H         /* plus 30H */
        HLT
