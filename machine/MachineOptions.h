// What shapes a run of the machine, whichever front end asked for it: the
// processor model, where it starts, the interrupt events, the ports, the
// CP/M console and the step limit. Run8085's command line fills it in; the
// debugger keeps it to start again.
#pragma once

#include "InstructionSet.h"
#include "Interrupts.h"

#include <cstdint>
#include <optional>
#include <vector>

// Instructions a run may execute unless --max-steps says otherwise.
constexpr std::uint64_t _DefaultMaxSteps = 1000000000;

// --interrupt STEP:SOURCE: raise SOURCE before instruction STEP (counted from 1).
struct InterruptEvent {
    std::uint64_t Step = 1;
    InterruptSource Source = InterruptSource::Trap;
    std::uint8_t RstNumber = 0; // INTR only: the RST n on the data bus
};

// --input P=V
struct PortInput {
    std::uint8_t Port = 0;
    std::uint8_t Value = 0;
};

struct MachineOptions {
    CpuModel Model = CpuModel::I8085;
    std::optional<std::uint16_t> Pc;
    std::optional<std::uint16_t> Sp;
    std::vector<InterruptEvent> Interrupts; // ordered by step, ties in command-line order
    int ConsolePort = -1;                   // -1: none
    std::vector<PortInput> Inputs;          // in command-line order; the last one for a port wins
    bool Cpm = false;
    std::uint64_t MaxSteps = _DefaultMaxSteps; // 0: no limit
};
