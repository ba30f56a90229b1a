// What shapes a run of the machine, whichever front end asked for it: the
// processor model, where it starts, the interrupt events, the ports, the
// CP/M console and the step limit. Run8085's command line fills it in; the
// debugger keeps it to start again.
#pragma once

#include "Boards.h"
#include "InstructionSet.h"
#include "Interrupts.h"

#include <cstdint>
#include <optional>
#include <string>
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

// --keys: a key of the kit's keypad, pressed before instruction Step, or
// (Step 0) when the program next waits for a key.
struct KitKeyPress {
    std::string Name;
    std::uint64_t Step = 0;
};

// --board KIND@CHIP:PORT[,PORT]
struct KitBoardOption {
    BoardKind Kind = BoardKind::LedsSwitches;
    std::string Chip; // "8255"
    int Port = 0;     // 0 A, 1 B, 2 C
    int SecondPort = -1;
    std::uint8_t Input = 0; // what switches or an ADC put on the port
};

// --probe CHIP:N: each change of a chip's output N is printed.
struct KitProbe {
    std::string Chip;
    int Output = 0;
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
    std::string Kit;                           // --kit: the profile's name; empty: no kit
    std::vector<KitKeyPress> Keys;             // timed ones first, by step; then the others in order
    std::vector<KitBoardOption> Boards;
    std::vector<KitProbe> Probes;
};
