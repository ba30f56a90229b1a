// Turns listing records into bytes: instructions with the shared 8085
// instruction set (the documented instructions and the ten undocumented
// ones), DB records into one byte per value, DW records into two.
#pragma once

#include "SymbolFile.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct EncodedInstruction {
    std::uint8_t Bytes[3] = {0, 0, 0};
    int Size = 0;
};

// Encodes an instruction: fields[0] is the mnemonic, then come its register
// operands, then the fields of its value. Returns "" or what is wrong,
// quoting the field at fault.
std::string EncodeInstruction(std::span<const std::string_view> fields, const SymbolTable& symbols,
                              EncodedInstruction& encoded);

// Tells whether the mnemonic is in the instruction set.
bool IsInstruction(std::string_view mnemonic);

// Encodes a DB record (one byte per value, -128 to 255) or a DW record (two
// bytes per value, low byte first, -32768 to 65535): fields[0] is DB or DW,
// the values are decimal numbers. Appends to bytes; returns "" or what is
// wrong.
std::string EncodeData(std::span<const std::string_view> fields, std::vector<std::uint8_t>& bytes);
