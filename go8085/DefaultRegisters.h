// The start a program gets when no register data file is given: every
// register and flag 0, interrupts disabled, the stack pointer at 0000H (the
// first push goes to FFFEH) and the program counter at the listing's first
// address.
#pragma once

#include "PassOneLog.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Where the program counter starts when the listing has no record.
inline constexpr std::uint16_t _StartWithoutListing = 0x2000;

// The address of the listing's first record, taken modulo 65,536 (the
// listing writes 0x8000 to 0xFFFF as -32768 to -1); nothing when the listing
// has no record.
std::optional<std::uint16_t> FirstListingAddress(std::string_view listing);

// The register data file for that start, in its fixed order: A B C D E H L,
// then the program counter and the stack pointer, the flags S Z AC P CY, and
// the interrupt enable.
std::string MakeDefaultRegisterFile(std::uint16_t programCounter);

// The start an `END label` statement names (pass 1 leaves the line out; the
// chain takes the label's value from pass 1's symbol file): the last END of
// the source that names one.
struct EndStart {
    int Line = 0; // 0: no END names a label
    std::string Label;
    std::optional<std::uint16_t> Address; // nothing: the program defines no such label
};
EndStart FindEndStart(std::string_view source, std::string_view symbols);

// Says on the END line where the program starts: the note pass 1's report
// has there says it, or a warning when the label is not the program's.
void NoteEndStart(const EndStart& start, std::uint16_t firstAddress, std::vector<Problem>& problems);
