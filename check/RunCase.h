// One case run on the machine: the only file of the checker that calls the
// simulator. Its records are plain, so that the rest of the checker (and the
// page) knows nothing of the processor's state.
#pragma once

#include "CheckFile.h"
#include "SourceMap.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A submission as the chain made it, ready to run any number of cases.
struct ProgramToRun {
    std::string Image; // the image file's bytes, as the image builder wrote them
    SourceMap Map;     // its records on source lines (where it placed bytes and code)
};

// How a run ended.
enum class RunStop : std::uint8_t {
    Halt,      // HLT with nothing to wake it
    Kit,       // a jump (or an interrupt) to where the program placed nothing
    Steps,     // the step limit
    States,    // the T-state limit
    BadStart,  // the program counter starts where the program placed nothing
    Stopped,   // the check was interrupted (a termination signal)
};

// The last store into an expected byte: the instruction and where it was.
// The core runs a few instructions unwatched (the one after EI, the push of
// an interrupt it takes), so a store by one of those goes unseen.
struct StoreNote {
    std::uint16_t Address = 0; // the byte stored into
    bool Stored = false;       // a store into it was seen
    std::uint8_t Before = 0;   // what it held when the run started
    std::uint16_t From = 0;    // the instruction's address
    std::string Instruction;   // as the disassembler shows it: "STA 2050H"
};

// What a case's run left behind that its expectations look at.
struct CaseRun {
    RunStop Stop = RunStop::Halt;
    std::uint64_t Steps = 0;
    std::uint64_t States = 0;
    std::uint16_t Pc = 0;             // where it stopped (for Kit: the instruction that left)
    std::string StopInstruction;      // the instruction at Pc, disassembled
    std::vector<NamedValue> Registers; // A B C D E H L BC DE HL SP PC
    std::vector<NamedValue> Flags;     // S Z AC P CY
    std::vector<BytesAt> Memory;       // the bytes at each expected range
    std::vector<PortBytes> Out;        // everything OUT wrote, port by port (up to a limit)
    std::vector<StoreNote> Stores;     // one per expected byte, in the order of ExpectMemory
};

// The most values the run keeps of everything OUT writes.
constexpr std::size_t _MaxOutValues = 4096;

// Whether text names an interrupt source as Run8085's --interrupt spells it.
bool IsInterruptSourceName(std::string_view text);

// A machine to run cases on, made once per worker and reused: every case
// starts it afresh from the program's image.
struct CaseMachine;
struct CaseMachineDeleter {
    void operator()(CaseMachine* machine) const;
};
std::unique_ptr<CaseMachine, CaseMachineDeleter> MakeCaseMachine();

// Reads the program's image and places into the machine; false, with the
// reason in error, when the image is not one.
bool LoadProgram(CaseMachine& machine, const ProgramToRun& program, bool is8080, std::string& error);

// Runs one case on the loaded program, from the image's state with the
// case's inputs applied; nothing of an earlier case carries over. A long
// run asks stopped (when given) now and then whether to give up.
CaseRun RunCase(CaseMachine& machine, const CheckCase& test, int (*stopped)() = nullptr);
