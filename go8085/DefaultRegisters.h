// The start a program gets when no register data file is given: every
// register and flag 0, interrupts disabled, the stack pointer at 0000H (the
// first push goes to FFFEH) and the program counter at the listing's first
// address.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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
