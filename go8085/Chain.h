// The chain itself: a flat list of steps (read the inputs, make the private
// directory, pass 1 with its problem report, pass 2, the kit files, the
// image builder), each stopping the chain when it fails, and one end for
// every run that moves the files into place, removes the private directory
// and starts the simulator.
#pragma once

#include "CommandLine.h"
#include "Toolchain.h"

// Runs the chain for the command line. Returns the exit status when it stops
// before the simulator; once the simulator starts it takes this process's
// place, and its exit status is Go8085's. A termination signal ends the
// process by that signal, after the cleanup.
int RunChain(const CommandLine& line, const Toolchain& tools);
