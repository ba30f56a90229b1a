; Every opcode of the 8085 once, in opcode order. The comment after each
; instruction gives its bytes, written out from the Intel instruction set.
START:  NOP                 ; 00
        LXI B, 1234H        ; 01 34 12
        STAX B              ; 02
        INX B               ; 03
        INR B               ; 04
        DCR B               ; 05
        MVI B, 0A5H         ; 06 A5
        RLC                 ; 07
        DSUB                ; 08
        DAD B               ; 09
        LDAX B              ; 0A
        DCX B               ; 0B
        INR C               ; 0C
        DCR C               ; 0D
        MVI C, 0A5H         ; 0E A5
        RRC                 ; 0F
        ARHL                ; 10
        LXI D, 1234H        ; 11 34 12
        STAX D              ; 12
        INX D               ; 13
        INR D               ; 14
        DCR D               ; 15
        MVI D, 0A5H         ; 16 A5
        RAL                 ; 17
        RDEL                ; 18
        DAD D               ; 19
        LDAX D              ; 1A
        DCX D               ; 1B
        INR E               ; 1C
        DCR E               ; 1D
        MVI E, 0A5H         ; 1E A5
        RAR                 ; 1F
        RIM                 ; 20
        LXI H, 1234H        ; 21 34 12
        SHLD 1234H          ; 22 34 12
        INX H               ; 23
        INR H               ; 24
        DCR H               ; 25
        MVI H, 0A5H         ; 26 A5
        DAA                 ; 27
        LDHI 0A5H           ; 28 A5
        DAD H               ; 29
        LHLD 1234H          ; 2A 34 12
        DCX H               ; 2B
        INR L               ; 2C
        DCR L               ; 2D
        MVI L, 0A5H         ; 2E A5
        CMA                 ; 2F
        SIM                 ; 30
        LXI SP, 1234H       ; 31 34 12
        STA 1234H           ; 32 34 12
        INX SP              ; 33
        INR M               ; 34
        DCR M               ; 35
        MVI M, 0A5H         ; 36 A5
        STC                 ; 37
        LDSI 0A5H           ; 38 A5
        DAD SP              ; 39
        LDA 1234H           ; 3A 34 12
        DCX SP              ; 3B
        INR A               ; 3C
        DCR A               ; 3D
        MVI A, 0A5H         ; 3E A5
        CMC                 ; 3F
        MOV B, B            ; 40
        MOV B, C            ; 41
        MOV B, D            ; 42
        MOV B, E            ; 43
        MOV B, H            ; 44
        MOV B, L            ; 45
        MOV B, M            ; 46
        MOV B, A            ; 47
        MOV C, B            ; 48
        MOV C, C            ; 49
        MOV C, D            ; 4A
        MOV C, E            ; 4B
        MOV C, H            ; 4C
        MOV C, L            ; 4D
        MOV C, M            ; 4E
        MOV C, A            ; 4F
        MOV D, B            ; 50
        MOV D, C            ; 51
        MOV D, D            ; 52
        MOV D, E            ; 53
        MOV D, H            ; 54
        MOV D, L            ; 55
        MOV D, M            ; 56
        MOV D, A            ; 57
        MOV E, B            ; 58
        MOV E, C            ; 59
        MOV E, D            ; 5A
        MOV E, E            ; 5B
        MOV E, H            ; 5C
        MOV E, L            ; 5D
        MOV E, M            ; 5E
        MOV E, A            ; 5F
        MOV H, B            ; 60
        MOV H, C            ; 61
        MOV H, D            ; 62
        MOV H, E            ; 63
        MOV H, H            ; 64
        MOV H, L            ; 65
        MOV H, M            ; 66
        MOV H, A            ; 67
        MOV L, B            ; 68
        MOV L, C            ; 69
        MOV L, D            ; 6A
        MOV L, E            ; 6B
        MOV L, H            ; 6C
        MOV L, L            ; 6D
        MOV L, M            ; 6E
        MOV L, A            ; 6F
        MOV M, B            ; 70
        MOV M, C            ; 71
        MOV M, D            ; 72
        MOV M, E            ; 73
        MOV M, H            ; 74
        MOV M, L            ; 75
        HLT                 ; 76
        MOV M, A            ; 77
        MOV A, B            ; 78
        MOV A, C            ; 79
        MOV A, D            ; 7A
        MOV A, E            ; 7B
        MOV A, H            ; 7C
        MOV A, L            ; 7D
        MOV A, M            ; 7E
        MOV A, A            ; 7F
        ADD B               ; 80
        ADD C               ; 81
        ADD D               ; 82
        ADD E               ; 83
        ADD H               ; 84
        ADD L               ; 85
        ADD M               ; 86
        ADD A               ; 87
        ADC B               ; 88
        ADC C               ; 89
        ADC D               ; 8A
        ADC E               ; 8B
        ADC H               ; 8C
        ADC L               ; 8D
        ADC M               ; 8E
        ADC A               ; 8F
        SUB B               ; 90
        SUB C               ; 91
        SUB D               ; 92
        SUB E               ; 93
        SUB H               ; 94
        SUB L               ; 95
        SUB M               ; 96
        SUB A               ; 97
        SBB B               ; 98
        SBB C               ; 99
        SBB D               ; 9A
        SBB E               ; 9B
        SBB H               ; 9C
        SBB L               ; 9D
        SBB M               ; 9E
        SBB A               ; 9F
        ANA B               ; A0
        ANA C               ; A1
        ANA D               ; A2
        ANA E               ; A3
        ANA H               ; A4
        ANA L               ; A5
        ANA M               ; A6
        ANA A               ; A7
        XRA B               ; A8
        XRA C               ; A9
        XRA D               ; AA
        XRA E               ; AB
        XRA H               ; AC
        XRA L               ; AD
        XRA M               ; AE
        XRA A               ; AF
        ORA B               ; B0
        ORA C               ; B1
        ORA D               ; B2
        ORA E               ; B3
        ORA H               ; B4
        ORA L               ; B5
        ORA M               ; B6
        ORA A               ; B7
        CMP B               ; B8
        CMP C               ; B9
        CMP D               ; BA
        CMP E               ; BB
        CMP H               ; BC
        CMP L               ; BD
        CMP M               ; BE
        CMP A               ; BF
        RNZ                 ; C0
        POP B               ; C1
        JNZ 1234H           ; C2 34 12
        JMP 1234H           ; C3 34 12
        CNZ 1234H           ; C4 34 12
        PUSH B              ; C5
        ADI 0A5H            ; C6 A5
        RST 0               ; C7
        RZ                  ; C8
        RET                 ; C9
        JZ 1234H            ; CA 34 12
        RSTV                ; CB
        CZ 1234H            ; CC 34 12
        CALL 1234H          ; CD 34 12
        ACI 0A5H            ; CE A5
        RST 1               ; CF
        RNC                 ; D0
        POP D               ; D1
        JNC 1234H           ; D2 34 12
        OUT 0A5H            ; D3 A5
        CNC 1234H           ; D4 34 12
        PUSH D              ; D5
        SUI 0A5H            ; D6 A5
        RST 2               ; D7
        RC                  ; D8
        SHLX                ; D9
        JC 1234H            ; DA 34 12
        IN 0A5H             ; DB A5
        CC 1234H            ; DC 34 12
        JNK 1234H           ; DD 34 12
        SBI 0A5H            ; DE A5
        RST 3               ; DF
        RPO                 ; E0
        POP H               ; E1
        JPO 1234H           ; E2 34 12
        XTHL                ; E3
        CPO 1234H           ; E4 34 12
        PUSH H              ; E5
        ANI 0A5H            ; E6 A5
        RST 4               ; E7
        RPE                 ; E8
        PCHL                ; E9
        JPE 1234H           ; EA 34 12
        XCHG                ; EB
        CPE 1234H           ; EC 34 12
        LHLX                ; ED
        XRI 0A5H            ; EE A5
        RST 5               ; EF
        RP                  ; F0
        POP PSW             ; F1
        JP 1234H            ; F2 34 12
        DI                  ; F3
        CP 1234H            ; F4 34 12
        PUSH PSW            ; F5
        ORI 0A5H            ; F6 A5
        RST 6               ; F7
        RM                  ; F8
        SPHL                ; F9
        JM 1234H            ; FA 34 12
        EI                  ; FB
        CM 1234H            ; FC 34 12
        JK 1234H            ; FD 34 12
        CPI 0A5H            ; FE A5
        RST 7               ; FF
