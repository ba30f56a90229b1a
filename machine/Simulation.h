// Runs the processor to its end: the --interrupt events raised on time, the
// CP/M console served, the step limit kept, and a trace line per
// instruction when asked for.
#pragma once

#include "Cpm.h"
#include "Cpu.h"
#include "MachineOptions.h"
#include "ProgramPlaces.h"

#include <cstdint>
#include <cstdio>
#include <vector>

enum class StopReason : std::uint8_t {
    Halt,        // HLT with no interrupt able to end it
    CpmExit,     // reached 0000H under --cpm
    StepLimit,   // --max-steps instructions executed
    LeftProgram, // --map: a jump to where the program placed nothing
};

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
StopReason RunSimulation(CpuState& cpu, const SimulationSetup& setup);

// Sets the interrupt line of an event.
void RaiseInterrupt(CpuState& cpu, const InterruptEvent& event);
