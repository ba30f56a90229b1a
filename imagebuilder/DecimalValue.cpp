#include "DecimalValue.h"

// Tells whether c separates two values.
bool IsValueSeparator(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Returns the first byte of the next token, or -1 at the end of the file.
static int SkipSeparators(TextFile& file)
{
    int c = ReadTextByte(file);
    while (IsValueSeparator(c)) {
        c = ReadTextByte(file);
    }
    return c;
}

// Reads and converts the next token of the register data file.
DecimalValue ReadDecimalValue(TextFile& file)
{
    DecimalValue value;
    int c = SkipSeparators(file);
    if (c < 0) {
        return value;
    }
    const bool negative = c == '-';
    if (c == '-' || c == '+') {
        c = ReadTextByte(file);
    }
    bool sawDigit = false;
    bool sawOther = false;
    unsigned bits = 0;
    for (; c >= 0 && !IsValueSeparator(c); c = ReadTextByte(file)) {
        if (c < '0' || c > '9') {
            sawOther = true;
            continue;
        }
        sawDigit = true;
        bits = (bits * 10u + static_cast<unsigned>(c - '0')) & 0xFFFFu;
        value.Nonzero = value.Nonzero || c != '0';
    }
    value.IsNumber = sawDigit && !sawOther;
    if (!value.IsNumber) {
        value.Nonzero = false;
        return value;
    }
    value.Bits = static_cast<std::uint16_t>(negative ? (0u - bits) & 0xFFFFu : bits);
    return value;
}
