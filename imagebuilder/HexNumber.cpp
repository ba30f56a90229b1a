#include "HexNumber.h"

// Tells whether c is white space.
bool IsWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Value of a hexadecimal digit, or -1 for any other character.
static int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Tells whether line holds a 0x or 0X prefix at p that a digit follows.
static bool IsHexPrefix(const char* line, std::size_t length, std::size_t p)
{
    return p + 2 < length && line[p] == '0' && (line[p + 1] == 'x' || line[p + 1] == 'X')
        && HexDigitValue(line[p + 2]) >= 0;
}

// Parses a hexadecimal number at p, never looking at or past length.
HexNumber ParseHexNumber(const char* line, std::size_t length, std::size_t p)
{
    HexNumber number;
    while (p < length && IsWhiteSpace(line[p])) {
        ++p;
    }
    const bool negative = p < length && line[p] == '-';
    if (p < length && (line[p] == '-' || line[p] == '+')) {
        ++p;
    }
    if (IsHexPrefix(line, length, p)) {
        p += 2;
    }
    for (; p < length && HexDigitValue(line[p]) >= 0; ++p) {
        number.Found = true;
        number.Value = number.Value * 16u + static_cast<std::uint32_t>(HexDigitValue(line[p]));
    }
    if (negative) {
        number.Value = 0u - number.Value;
    }
    return number;
}
