// The symbol file that pass 1 writes: one symbol a line, newest first, as
// name, " \t ", size (1 or 2), " \t ", value in decimal.
#pragma once

#include "Messages.h"

#include <string_view>
#include <unordered_map>

struct SymbolValue {
    long Value = 0; // a label's address or an EQU name's number, as written
    long Line = 0;  // line of the newest definition
    bool Duplicate = false;
};

// Names (pointing into the symbol file's text) and their values.
using SymbolTable = std::unordered_map<std::string_view, SymbolValue>;

// Reads every line of the symbol file's text. A line that is not of the
// format is an error and defines nothing; a name defined more than once is
// one error, on the line of its newest definition, listing every value; such
// a name keeps its newest value.
SymbolTable ReadSymbolFile(std::string_view text, std::string_view fileName, Messages& messages);
