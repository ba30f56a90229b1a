; Load 3A into A and add 12A3's low byte.
; expect-status: 1
; expect-stderr: write 3AH
; expect-stderr: write 12A3H
        MVI A, 3A
        LXI D, 12A3
        HLT
