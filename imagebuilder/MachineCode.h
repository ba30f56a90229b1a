// The machine-code file: lines of a hexadecimal load address followed by the
// hexadecimal bytes to place from that address on.
#pragma once

#include <cstddef>

// Size of the machine-code line buffer; a line holds at most 99 characters.
constexpr std::size_t _MaxMachineCodeLineLength = 100;

// Clears all 65,536 bytes of memory, then loads the named file into it. When
// the file cannot be opened, the message is written and memory stays clear.
void ReadMachineCode(const char* fileName, unsigned char* memory);

// Loads one line, line[0, length), into memory; line[length] must be a zero
// byte. A line that does not begin with a number stores nothing, and an item
// that holds no number is skipped.
void LoadMachineCodeLine(const char* line, std::size_t length, unsigned char* memory);
