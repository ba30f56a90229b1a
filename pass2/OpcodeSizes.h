// The instruction sizes of the opcode table "etc/opcodes.txt", the sizes
// pass 1 advanced its counter by: whitespace-separated items, the row count
// first, then that many rows of mnemonic and size.
#pragma once

#include "Messages.h"

#include <string>
#include <string_view>
#include <unordered_map>

struct OpcodeSizes {
    bool Usable = false;                        // false: sizes are not checked
    std::unordered_map<std::string, int> Sizes; // the first row of each mnemonic
};

// Path of the opcode table, relative to the working directory.
inline constexpr const char* _OpcodeTablePath = "etc/opcodes.txt";

// Reads the table's text as pass 1 does: rows after the counted ones are
// ignored, the first of two rows of one mnemonic counts, and a mnemonic over
// 11 characters never matches. A table without a usable count is a warning
// and checks nothing; one that ends early is a warning and keeps its rows.
OpcodeSizes ReadOpcodeSizes(std::string_view text, std::string_view fileName, Messages& messages);
