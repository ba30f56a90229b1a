// The numbers of the machine-code file: hexadecimal, with an optional sign
// and an optional 0x prefix, ending at the first character that is no digit.
#pragma once

#include <cstddef>
#include <cstdint>

// The value of every byte as a hexadecimal digit, or -1 for any other byte.
struct HexDigitTable {
    signed char Values[256];
};
extern const HexDigitTable _HexDigitValues;

// Value of a hexadecimal digit, or -1 for any other character.
inline int HexDigitValue(char c)
{
    return _HexDigitValues.Values[static_cast<unsigned char>(c)];
}

struct HexNumber {
    bool Found = false;      // at least one digit was read
    std::uint32_t Value = 0; // the number modulo 2^32, negated for a minus sign
    std::size_t End = 0;     // the position where reading stopped
};

// Parses a number that starts at position p of line[0, length): white space
// is skipped, then an optional + or -, an optional 0x or 0X, and hexadecimal
// digits in either case. Nothing at or after length is looked at. A number of
// more than eight digits keeps its low 32 bits.
HexNumber ParseHexNumber(const char* line, std::size_t length, std::size_t p);

// Tells whether c is white space: blank, tab, line feed, carriage return,
// vertical tab or form feed.
bool IsWhiteSpace(char c);

// Tells whether c separates the items of a line: blank or tab.
inline bool IsItemSeparator(char c)
{
    return c == ' ' || c == '\t';
}
