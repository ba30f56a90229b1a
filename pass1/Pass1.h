// The pass-1 routine: reads the source line by line, traces every line in the
// run log, tokenizes statement lines and hands them to statement processing,
// which writes the listing.
#pragma once

#include "OpcodeTable.h"

#include <cstdint>

// Characters of the line buffer; a line holds at most 510 characters.
constexpr int _MaxLineLength = 512;

// Where the location counter starts: 0x2000.
constexpr std::int16_t _DefaultLocation = 0x2000;

// Runs pass 1 over the source file, writing the listing file. A file that
// cannot be opened is reported on standard output and ends the pass; so is a
// source that is the run log, and a listing that is the source or the run
// log, which is left untouched.
void Corvane(const char* sourceName, const char* listingName, const OpcodeTableStructure* table);
