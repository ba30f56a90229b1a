// Records of the listing "<source>.pass1": an address field and further
// fields, each preceded by seven blanks, one record per line.
#pragma once

#include "Lexer.h"
#include "OutputFile.h"

#include <cstdint>

// Writes an instruction record: address, mnemonic tokens[first] and the
// operand tokens after it up to count-1, copied as they are.
void WriteInstructionRecord(OutputStream& listing, std::int16_t address, const char tokens[][_MaxTokenLength],
                            int first, int count);

// Starts a data record with its address and keyword ("DB" or "DW").
void BeginDataRecord(OutputStream& listing, std::int16_t address, const char* keyword);

// Adds one field holding number in decimal to the record begun.
void AddNumberField(OutputStream& listing, long long number);

// Ends the record begun, which flushes it.
void EndRecord(OutputStream& listing);
