#include "HexNumber.h"

// Tells whether c is white space.
bool IsWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

/* Global state of the number reader */
const HexDigitTable _HexDigitValues = [] { // filled once, read only
    HexDigitTable table{};
    for (int c = 0; c < 256; ++c) {
        table.Values[c] = -1;
    }
    for (int d = 0; d < 10; ++d) {
        table.Values['0' + d] = static_cast<signed char>(d);
    }
    for (int d = 0; d < 6; ++d) {
        table.Values['a' + d] = static_cast<signed char>(10 + d);
        table.Values['A' + d] = static_cast<signed char>(10 + d);
    }
    return table;
}();

// Tells whether line holds a 0x or 0X prefix at p that a digit follows.
static bool IsHexPrefix(const char* line, std::size_t length, std::size_t p)
{
    return p + 2 < length && line[p] == '0' && (line[p + 1] == 'x' || line[p + 1] == 'X') &&
           HexDigitValue(line[p + 2]) >= 0;
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
    std::uint32_t value = 0;
    const std::size_t digitsStart = p;
    for (int digit; p < length && (digit = HexDigitValue(line[p])) >= 0; ++p) {
        value = value * 16u + static_cast<std::uint32_t>(digit);
    }
    number.Found = p > digitsStart;
    number.Value = value;
    number.End = p;
    if (negative) {
        number.Value = 0u - number.Value;
    }
    return number;
}
