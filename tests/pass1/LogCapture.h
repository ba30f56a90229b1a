// Points the run log at a scratch file for the length of a test, so that a
// test can read back exactly what a unit wrote to it.
#pragma once

#include "support/RunProgram.h"

#include <string>

struct LogCapture {
    ScratchDirectory Directory;
    LogCapture();
    ~LogCapture();
    // Everything written so far, unended text included.
    std::string Text() const;
};
