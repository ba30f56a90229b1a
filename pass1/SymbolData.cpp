#include "SymbolData.h"

#include "RunLog.h"

#include <cstddef>
#include <cstring>

// Tells whether c is white space for number reading.
static bool IsNumberSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Returns the value of a hexadecimal digit, or -1 for any other character.
static int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// number ::= { space } [ '+' | '-' ] [ '0x' | '0X' ] (base 16 only) digits
// Reads the number at the start of text in the given base (10 or 16) and
// returns it modulo 2^32, negated for a minus sign; 0 when no digit is there.
// Reading stops at the first character that is no digit of the base.
static std::uint32_t ReadNumber(const char* text, int base)
{
    while (IsNumberSpace(*text)) {
        ++text;
    }
    bool negative = false;
    if (*text == '+' || *text == '-') {
        negative = *text == '-';
        ++text;
    }
    if (base == 16 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && HexDigitValue(text[2]) >= 0) {
        text += 2;
    }
    std::uint32_t value = 0;
    for (int digit = HexDigitValue(*text); digit >= 0 && digit < base; digit = HexDigitValue(*++text)) {
        value = value * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
    }
    return negative ? 0u - value : value;
}

SymbolData Str2SymbolData(const char* token, int& size)
{
    const std::size_t length = std::strlen(token);
    SymbolData value = MakeSymbolData(0);
    const char last = length > 0 ? token[length - 1] : '\0';
    if (last == 'H' || last == 'h') {
        const std::size_t digits = length - 1;
        if (digits <= 4) {
            size = digits <= 2 ? 1 : 2;
            value.Word = static_cast<std::int16_t>(ReadNumber(token, 16));
        } else {
            LogLine({"Str2SymbolData Error: Cannot convert symbol greater than word size"});
            size = -1;
        }
    } else {
        value.Word = static_cast<std::int16_t>(ReadNumber(token, 10));
        size = length <= 2 || (length == 3 && value.Word <= 255) ? 1 : 2;
    }
    LogLine({"str2symboldata Results: size = ", Decimal(size), " data = ", Decimal(value.Word)});
    return value;
}
