// The values of the register data file: decimal integers separated by blanks,
// tabs and line ends, read one token at a time.
#pragma once

#include "TextFile.h"

#include <cstdint>

struct DecimalValue {
    bool IsNumber = false;  // the token is an optional sign and decimal digits, nothing else
    std::uint16_t Bits = 0; // the number's low 16 bits in two's complement (0 if no number)
    bool Nonzero = false;   // the number as written is not zero
};

// Reads the next token of the file and converts it. Values outside the
// signed 16-bit range keep their low 16 bits; Nonzero still tells whether the
// whole number is zero.
DecimalValue ReadDecimalValue(TextFile& file);

// Tells whether c separates values: blank, tab, line feed, carriage return,
// vertical tab or form feed.
bool IsValueSeparator(int c);
