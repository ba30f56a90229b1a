// One run of the second pass over files: <filename>.pass1, <filename>.sym
// and etc/opcodes.txt in, <filename>.hex out.
#pragma once

#include "Messages.h"

#include <string>

// Runs the pass for the name given to Corvane. Writes <filename>.hex when
// there is no error; when there is, removes any <filename>.hex of an earlier
// run. Returns the exit status: 0, or 1 after an error.
int RunPass2OnFiles(const std::string& filename, Messages& messages);
