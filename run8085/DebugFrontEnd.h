// Run8085 --debug: the debugger's terminal front end. Reads commands at the
// prompt "(8085) " (with line editing and history when built with libedit
// and standard input is a terminal; otherwise one command a line, each
// echoed after the prompt so that the output reads as a session) and prints
// what each command answers, until quit or the end of input.
#pragma once

#include "Cpu.h"
#include "Options.h"

// Returns the exit status: 0, or 1 when the map file cannot be used.
int RunDebugger(const CpuState& first, const RunOptions& options);
