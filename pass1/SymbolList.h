// The symbol list: every label and EQU name that pass 1 collects, newest
// first, and the symbol file it is written to at the end of the run.
#pragma once

#include "FileIdentity.h"
#include "SymbolData.h"

#include <cstdint>
#include <initializer_list>

// Bytes of a symbol name field: at most 255 characters and a terminator.
constexpr int _MaxSymbolNameSize = 256;

struct SymbolListNode {
    char Name[_MaxSymbolNameSize];
    std::int32_t Size; // 1 for a byte, 2 for a word
    SymbolData Value;
    SymbolListNode* Next; // the node added just before this one
};

// The newest node of the run's symbol list, and the number of symbols added.
extern SymbolListNode* SymbolList;
extern std::int32_t SymbolCount;

// Adds a symbol at the head of SymbolList; a size above 2, taken unsigned, is
// refused. A name longer than 255 characters keeps its first 255. Logs the
// outcome either way.
void Append(const char* name, std::int32_t size, SymbolData value);

// Writes the list from head on to the named file, one line per node: name,
// " \t ", size, " \t ", value (Byte for size 1, signed Word otherwise). A
// file that is one of keepIntact is reported as one that cannot be opened
// and left untouched.
void WriteToSymbolFile(const SymbolListNode* head, const char* fileName,
                       std::initializer_list<FileIdentity> keepIntact = {});

// Releases every node from head on.
void CleanSymbolList(SymbolListNode* head);
