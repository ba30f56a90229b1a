// The chain itself: pass 1 with its problem report, pass 2, the image
// builder, and the simulator, each step stopping the chain when it fails.
#pragma once

#include "CommandLine.h"
#include "Toolchain.h"

// Runs the chain for the command line. Returns the exit status when it stops
// before the simulator; once the simulator starts it takes this process's
// place, and its exit status is Go8085's.
int RunChain(const CommandLine& line, const Toolchain& tools);
