#include "SymbolData.h"

#include "LogCapture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Literal {
    const char* Token;
    int Size;
    int Word;
    int Byte;
};

// The literal forms: decimal by length and value, hexadecimal by digit count.
const Literal _Literals[] = {
    {"5", 1, 5, 5},        {"99", 1, 99, 99},    {"-1", 1, -1, 255},    {"255", 1, 255, 255},  {"256", 2, 256, 0},
    {"-12", 1, -12, 244},  {"999", 2, 999, 231}, {"0255", 2, 255, 255}, {"0001", 2, 1, 1},     {"40000", 2, -25536, 64},
    {"65536", 2, 0, 0},    {"12AB", 2, 12, 12},  {"ABC", 1, 0, 0},      {"LOOP", 2, 0, 0},     {"BATCH", 2, 186, 186},
    {"'A", 1, 0, 0},       {"H", 1, 0, 0},       {"FFH", 1, 255, 255},  {"0FFH", 2, 255, 255}, {"1234h", 2, 4660, 52},
    {"FFFFH", 2, -1, 255}, {"0FFFFH", -1, 0, 0}, {"12345H", -1, 0, 0},
};

TEST(Str2SymbolData, LiteralTable)
{
    for (const Literal& literal : _Literals) {
        LogCapture log;
        int size = 99;
        const SymbolData value = Str2SymbolData(literal.Token, size);
        EXPECT_EQ(size, literal.Size) << literal.Token;
        EXPECT_EQ(value.Word, literal.Word) << literal.Token;
        EXPECT_EQ(value.Byte, literal.Byte) << literal.Token;
        std::string expected = "str2symboldata Results: size = " + std::to_string(literal.Size) +
                               " data = " + std::to_string(literal.Word) + "\n";
        if (literal.Size == -1) {
            expected = "Str2SymbolData Error: Cannot convert symbol greater than word size\n" + expected;
        }
        EXPECT_EQ(log.Text(), expected) << literal.Token;
    }
}

// Converts quietly and returns the size.
int SizeOf(const char* token)
{
    LogCapture log;
    int size = 0;
    Str2SymbolData(token, size);
    return size;
}

// Converts quietly and returns the Word.
int WordOf(const char* token)
{
    LogCapture log;
    int size = 0;
    return Str2SymbolData(token, size).Word;
}

TEST(Str2SymbolData, ThreeCharacterDecimalsAreSizedByValue)
{
    for (int n = 100; n <= 999; ++n) {
        EXPECT_EQ(SizeOf(std::to_string(n).c_str()), n <= 255 ? 1 : 2) << n;
    }
    for (int n = -99; n <= -10; ++n) {
        EXPECT_EQ(SizeOf(std::to_string(n).c_str()), 1) << n;
    }
}

TEST(Str2SymbolData, SignsPrefixesAndSuffixes)
{
    EXPECT_EQ(WordOf("0x1FH"), 31);
    EXPECT_EQ(WordOf("-1H"), -1);
    EXPECT_EQ(WordOf("+7fh"), 127);
    EXPECT_EQ(WordOf("8000H"), -32768);
    EXPECT_EQ(WordOf("+12"), 12);
    EXPECT_EQ(WordOf("0x12"), 0); // decimal reading stops at the x
    EXPECT_EQ(WordOf("12Q"), 12); // any other suffix reads as decimal
    EXPECT_EQ(WordOf("-40000"), 25536);
    EXPECT_EQ(WordOf("4294967297"), 1);
    EXPECT_EQ(WordOf("123456789012345678901234567890"), static_cast<std::int16_t>(0x0AD2));
    EXPECT_EQ(SizeOf(""), 1);
}

TEST(SymbolData, ByteIsTheLowHalfOfWord)
{
    SymbolData value = MakeSymbolData(-5);
    EXPECT_EQ(value.Byte, 251);
    value.Word = 0x1234;
    EXPECT_EQ(value.Byte, 0x34);
}

} // namespace
