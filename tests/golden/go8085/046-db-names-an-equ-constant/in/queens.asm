; the board size for the eight queens, kept as data
NQUEEN  EQU 8
LIMIT:  EQU 0FFH
        LDA SIZE
        HLT
SIZE:   DB NQUEEN
TOP:    DW LIMIT, NQUEEN
