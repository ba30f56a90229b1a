// Moving the machine: forward by steps, over calls, out of a subroutine, to
// the next stop; and the same backwards through the history.
#pragma once

#include "DebugSession.h"

#include <cstdint>
#include <string>

struct StopReport {
    StopKind Kind = StopKind::Step;
    std::string Reason; // the line said before the stop, "" for a plain step
};

StopReport StepForward(DebugSession& session, std::uint64_t count);
StopReport NextForward(DebugSession& session, std::uint64_t count);
StopReport FinishForward(DebugSession& session);
// Runs until PC is address, or the current subroutine returns (advance, until LOCATION).
StopReport AdvanceForward(DebugSession& session, std::uint16_t address);
// next, and on while a jump goes back (a loop), until PC is past where it
// began or the current subroutine returns (until).
StopReport UntilForward(DebugSession& session);
// until: the time at which to stop in any case (the page's slices).
StopReport ContinueForward(DebugSession& session, std::uint64_t until);

StopReport StepBackward(DebugSession& session, std::uint64_t count);
StopReport NextBackward(DebugSession& session, std::uint64_t count);
StopReport FinishBackward(DebugSession& session);
StopReport ContinueBackward(DebugSession& session);

// Whether a breakpoint at PC holds (its condition true); when count, the
// hit is counted, a temporary breakpoint deleted, and reason set.
bool CheckBreakpoints(DebugSession& session, std::string& reason, bool count);

// Sets the break table from the breakpoints.
void RebuildBreakTable(DebugSession& session);
