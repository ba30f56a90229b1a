// The machine code in the forms that trainer kits and EPROM programmers
// read: Intel HEX, and a raw binary of the placed range.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>

// The 64 KiB the program fills: a byte wherever the machine code places one
// (a later line wins, as when the image is built), 0 elsewhere.
struct PlacedBytes {
    std::array<std::uint8_t, 65536> Memory{};
    std::bitset<65536> Placed;
};

// Reads Pass2's machine code: lines of a load address and the bytes placed
// from there on, all in hexadecimal, wrapping past FFFFH. False, with the
// line in error, when a line is not of that form.
bool ReadPlacedBytes(std::string_view machineCode, PlacedBytes& placed, std::string& error);

// Intel HEX: one data record for each run of placed bytes within an aligned
// block of 16, in address order, then the end record. Lines end in LF.
std::string FormatIntelHex(const PlacedBytes& placed);

// The placed range, from the lowest placed address to the highest: First
// and Size (0 when nothing is placed).
struct PlacedRange {
    std::uint16_t First = 0;
    std::size_t Size = 0;
};

PlacedRange FindPlacedRange(const PlacedBytes& placed);

// The raw binary of the range: its bytes in order, 0 where nothing is placed.
std::string FormatBinary(const PlacedBytes& placed, const PlacedRange& range);
