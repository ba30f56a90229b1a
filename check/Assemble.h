// One submission through the real chain (pass 1, Pass2, the image builder)
// in a scratch directory of its own, with Go8085's library: the same copy of
// the source, the same problem report and the same default start.
#pragma once

#include "RunCase.h"
#include "Toolchain.h"

#include <string>

struct Assembly {
    bool Assembled = false;
    std::string FirstError; // when not assembled: the first problem, on its source line
    ProgramToRun Program;
};

// Assembles the source (shown as name) in scratch, a directory that does not
// exist yet; it is made, used and removed again before returning.
Assembly AssembleSubmission(const Toolchain& tools, const std::string& tableText, const std::string& name,
                            const std::string& sourceText, const std::string& scratch);
