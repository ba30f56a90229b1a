; run-with: --kit sdk85
; The SDK-85 has no chip at port 30H: the run stops there, naming the port.
; expect-status: 1
; expect-stop: kit-fault
; expect-stderr: Run8085: error: OUT 30H at 2002H (no-such-port.asm:8): the sdk85 has no chip at port 30H
        ORG 2000H
        MVI A, 55H
        OUT 30H
        RST 1
