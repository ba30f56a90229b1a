; demo
START:  MVI A, 05H
HLT
