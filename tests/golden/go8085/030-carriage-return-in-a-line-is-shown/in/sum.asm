; sum.asm: add two numbers (a stray CR crept into line 4)
	org 2000h
	mvi a, 5
	mvi b, 7 ; second number
	add b
	hlt
