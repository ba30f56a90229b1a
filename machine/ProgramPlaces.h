// Where the program is (Run8085 --map): the addresses its records placed,
// which of them hold its instructions, and the source line of each, from
// the source map that Go8085 writes; and the messages that name them.
#pragma once

#include "Cpu.h"
#include "SourceMap.h"

#include <cstdint>
#include <string>
#include <vector>

struct ProgramPlaces {
    std::vector<std::uint8_t> Placed = std::vector<std::uint8_t>(65536); // nonzero where a byte is placed
    std::vector<std::uint8_t> Code = std::vector<std::uint8_t>(65536);   // nonzero on a byte of an instruction
    std::uint32_t End = 0;                                               // one past the highest byte placed
    const SourceMap* Map = nullptr;
};

// What a run with the places found out about the program's whereabouts.
struct PlaceFindings {
    std::uint16_t LastAddress = 0; // the instruction run last (kept between runs of the core)
    // The run left the program by falling off its end: the last instruction
    // run inside before that (the last time it happened).
    bool FellOff = false;
    std::uint16_t FellFrom = 0;
    // StopReason::LeftProgram: what jumped to where nothing is placed.
    enum class Jump : std::uint8_t { None, Instruction, Interrupt, Start } JumpKind = Jump::None;
    std::uint16_t JumpFrom = 0;  // the instruction's address; for an interrupt, the address it returns to
    std::string JumpInstruction; // the instruction as the disassembler shows it
    // Stores into the bytes of the program's instructions.
    std::uint64_t CodeStores = 0;
    std::uint16_t StoreFrom = 0; // the first such store: the instruction's address...
    std::string StoreInstruction;
    std::uint16_t StoreAt = 0; // ...and the code byte it overwrote
    bool StoreToStack = false; // it was a push (PUSH, CALL, RST)
};

// The places of a map's records.
ProgramPlaces FindProgramPlaces(const SourceMap& map);

// Marks size bytes from address as placed (not as code): a --load file, the
// CP/M console's page zero and traps.
void AddPlacedBytes(ProgramPlaces& places, std::uint16_t address, std::uint32_t size);

// Marks the CP/M console's page zero (the warm boot jump, the BDOS entry)
// and its traps as placed.
void AddCpmPlaces(ProgramPlaces& places);

// The note for StopReason::LeftProgram, without a line end.
std::string FormatLeftProgramNote(const ProgramPlaces& places, const PlaceFindings& found, const CpuState& cpu);

// The warning of the first store into code, and the count of the others ("" for none).
std::string FormatCodeStoreWarning(const ProgramPlaces& places, const PlaceFindings& found);
std::string FormatMoreCodeStores(const PlaceFindings& found);

// The report's "place:" line at the step limit: whether PC is inside the
// program, or where the run left it.
std::string FormatPlaceLine(const ProgramPlaces& places, const PlaceFindings& found, const CpuState& cpu);
