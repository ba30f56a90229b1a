;sum program
      org 2000h
begin: lxi h,2050h
      mov b,m   ; count
      lxi d,0
      mov a,b
      ora a
      jz finish
again: inx h
      mov a,e
      add m
      mov e,a
      jnc skip
      inr d
skip: dcr b
      jnz again
finish: xchg
      shld 2070h
      hlt
