// Numeric literals: SymbolData and the conversion of decimal and hexadecimal
// (H-suffixed) tokens into it.
#pragma once

#include <cstdint>

// A two-byte value. Byte and Word share storage, and Byte is always the low
// 8 bits of Word, whatever the host's byte order.
union SymbolData {
    std::int16_t Word;
    __extension__ struct {
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        std::uint8_t HighByte;
        std::uint8_t Byte;
#else
        std::uint8_t Byte;
        std::uint8_t HighByte;
#endif
    };
};
static_assert(sizeof(SymbolData) == 2, "SymbolData is two bytes");

// Builds a SymbolData whose Word is word.
inline SymbolData MakeSymbolData(std::int16_t word)
{
    SymbolData data;
    data.Word = word;
    return data;
}

// Converts a literal token and returns its value; size receives 1 or 2 from
// the written length of the literal, or -1 (with value 0) for a hexadecimal
// literal of five or more digits. Logs the results line.
SymbolData Str2SymbolData(const char* token, int& size);
