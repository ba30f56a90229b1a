; Load 3A into A and add 12A3's low byte.
; expect-status: 0
; expect-stop: halt
; expect-stderr: write 3AH
; expect-stderr: write 3AH (1 other line too)
        MVI A, 3A
        LXI D, 12A3
        HLT
