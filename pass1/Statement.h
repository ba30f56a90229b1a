// Statement processing: decides what a tokenized source line is (label, ORG,
// instruction, DB, DW or EQU), keeps the location counter, collects symbols
// and writes the listing records.
#pragma once

#include "Lexer.h"
#include "OpcodeTable.h"
#include "OutputFile.h"

#include <cstdint>

// Processes one line of count tokens (at least one). A label's token loses its
// colon. locationCounter advances in 16-bit arithmetic, wrapping silently.
void ProcessStatement(char tokens[][_MaxTokenLength], int count, const OpcodeTableStructure* table,
                      std::int16_t& locationCounter, OutputStream& listingFile);
