// The one run loop: runs the processor to its end, the --interrupt events
// raised on time, the CP/M console served, the step limit kept, a trace
// line per instruction when asked for, and (with a map) what the run finds
// out about the program. Run8085 runs it once to the end; the debugger runs
// it a stretch at a time (Until, Breaks, StopRequest), and never runs the
// processor itself.
#pragma once

#include "Cpm.h"
#include "Cpu.h"
#include "MachineOptions.h"
#include "ProgramPlaces.h"

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <vector>

enum class StopReason : std::uint8_t {
    Halt,        // HLT with no interrupt able to end it
    CpmExit,     // reached 0000H under --cpm
    StepLimit,   // --max-steps instructions executed
    LeftProgram, // --map: a jump to where the program placed nothing
    // Only when the setup asks for them (the debugger's stretches):
    Reached,     // Until steps have been run
    Break,       // before an instruction at an address marked in Breaks
    Interrupted, // StopRequest was set
};

// What a run carries over from one stretch to the next; a whole run starts
// from zero.
struct RunProgress {
    std::size_t NextEvent = 0;     // the first interrupt event not yet raised
    std::uint64_t TrapsServed = 0; // the CP/M console's trap HLTs, which the instruction count leaves out
};

// Steps since the first state: instructions and interrupts taken, and the
// console's traps under CP/M.
inline std::uint64_t CountRunSteps(const CpuState& cpu, const RunProgress& progress)
{
    return cpu.Instructions + progress.TrapsServed;
}

struct SimulationSetup {
    std::vector<InterruptEvent> Interrupts;    // ordered by step
    std::uint64_t MaxSteps = _DefaultMaxSteps; // 0: no limit
    bool Cpm = false;
    CpmConsole Console;         // under Cpm: where the program prints
    std::FILE* Trace = nullptr; // null: no trace
    // --map: where the program is, and what the run finds out about it
    // (both null without --map, and then the run pays nothing for them).
    const ProgramPlaces* Places = nullptr;
    PlaceFindings* Findings = nullptr;
    // A stretch of a run (the debugger); a whole run leaves these alone and
    // pays nothing for them.
    std::uint64_t Until = UINT64_MAX;     // stop once CountRunSteps reaches it
    const std::uint8_t* Breaks = nullptr; // 65536 marks: stop before an instruction at a marked address
    bool BreakAtStart = false;            // whether a mark at the first instruction of the stretch counts
    const volatile std::sig_atomic_t* StopRequest = nullptr; // read between pieces of the stretch
};

// Runs until the processor halts for good, leaves through 0000H under CP/M,
// reaches the step limit, or (with Places) jumps to where the program
// placed nothing: a transfer of control, or an interrupt, whose target is
// not placed ends the run (StopReason::LeftProgram); running on past the
// program's last byte does not, and is noted in Findings, as are stores
// into the bytes of its instructions.
//
// An event for instruction STEP is raised once STEP - 1 instructions have
// run. While the processor is halted no instructions are counted, so when it
// halts with events still to come, the next one is raised at once, as if the
// halt had lasted until its step.
//
// A halt is decided here, once for every front end: a HLT with nothing
// left that could end it stops the run as Halt, even where PC, now past the
// HLT, points where the program placed nothing or at a marked address.
StopReason RunSimulation(CpuState& cpu, const SimulationSetup& setup);

// One stretch of a run, going on from progress: the events before
// progress.NextEvent have been raised already.
StopReason RunSimulation(CpuState& cpu, const SimulationSetup& setup, RunProgress& progress);

// Whether the processor is halted with nothing that could end the halt:
// no interrupt waiting, none of the events left to come.
bool IsHaltedForGood(const CpuState& cpu, const SimulationSetup& setup, const RunProgress& progress);

// The address of the instruction where the machine stands: PC, or, when
// the processor is halted, the HLT just before it, so that a halt names and
// highlights the HLT's own line while the registers show PC after it.
std::uint16_t FindStopAddress(const CpuState& cpu);

// Sets the interrupt line of an event.
void RaiseInterrupt(CpuState& cpu, const InterruptEvent& event);
