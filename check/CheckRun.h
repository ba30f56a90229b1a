// The check itself: every submission through the chain once and through
// every case, on every core, each in a scratch directory of its own below
// one private directory.
#pragma once

#include "CheckFile.h"
#include "Results.h"
#include "Submissions.h"
#include "Toolchain.h"

#include <string>
#include <vector>

struct CheckSetup {
    const CheckFile* Check = nullptr;
    Toolchain Tools;
    std::string TableText; // the opcode table every submission is assembled with
    std::string Scratch;   // an empty private directory; each submission gets a folder in it
    unsigned Jobs = 1;     // submissions at once
};

// One result per submission, in their order. Stops taking new submissions
// once a termination signal is noted (see Process.h); those left are "not
// checked".
std::vector<SubmissionResult> CheckSubmissions(const CheckSetup& setup, const std::vector<Submission>& submissions);
