#include "HexNumber.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Parses text from position p, looking at the whole text.
HexNumber Parse(const std::string& text, std::size_t p = 0)
{
    return ParseHexNumber(text.data(), text.size(), p);
}

// The value of a number that must be found.
std::uint32_t ValueOf(const std::string& text)
{
    const HexNumber number = Parse(text);
    EXPECT_TRUE(number.Found) << text;
    return number.Value;
}

TEST(HexNumber, DigitsInEitherCaseWithOrWithoutPrefix)
{
    EXPECT_EQ(ValueOf("3e"), 0x3Eu);
    EXPECT_EQ(ValueOf("3E"), 0x3Eu);
    EXPECT_EQ(ValueOf("0x7"), 0x07u);
    EXPECT_EQ(ValueOf("0X1f"), 0x1Fu);
    EXPECT_EQ(ValueOf("DEADBEEF"), 0xDEADBEEFu);
}

TEST(HexNumber, SignsNegateModulo2To32)
{
    EXPECT_EQ(ValueOf("+5"), 5u);
    EXPECT_EQ(ValueOf("-1"), 0xFFFFFFFFu);
    EXPECT_EQ(ValueOf("-0x2"), 0xFFFFFFFEu);
    EXPECT_EQ(ValueOf("-0"), 0u);
}

TEST(HexNumber, LeadingWhiteSpaceIsSkippedAndTrailingCharactersIgnored)
{
    EXPECT_EQ(ValueOf(" \t\r\v\f12"), 0x12u);
    EXPECT_EQ(ValueOf("3Eh"), 0x3Eu);
    EXPECT_EQ(ValueOf("3E,0A"), 0x3Eu);
    EXPECT_EQ(ValueOf("20\r"), 0x20u);
    EXPECT_EQ(Parse("xx 2000 3E", 3).Value, 0x2000u);
}

TEST(HexNumber, APrefixWithoutDigitsIsTheDigitZero)
{
    EXPECT_EQ(ValueOf("0x"), 0u);
    EXPECT_EQ(ValueOf("0xg1"), 0u);
}

TEST(HexNumber, TextWithoutDigitsIsNoNumber)
{
    for (const char* text : {"", "   ", "\r", "MOV", "-", "+", "- 5", "+-5", "x12", ";55"}) {
        EXPECT_FALSE(Parse(text).Found) << '"' << text << '"';
    }
}

TEST(HexNumber, MoreThanEightDigitsKeepTheLow32Bits)
{
    EXPECT_EQ(ValueOf("123456789"), 0x23456789u);
    EXPECT_EQ(ValueOf("100002000"), 0x00002000u);
    EXPECT_EQ(ValueOf("FFFFFFFFFFFFFFFFFFFFFFFF1234"), 0xFFFF1234u);
}

TEST(HexNumber, NothingAtOrPastTheLengthIsRead)
{
    const char text[] = "12345";
    EXPECT_EQ(ParseHexNumber(text, 2, 0).Value, 0x12u);
    EXPECT_FALSE(ParseHexNumber(text, 2, 2).Found);
    const char prefix[] = "0x5";
    const HexNumber cut = ParseHexNumber(prefix, 2, 0);
    EXPECT_TRUE(cut.Found);
    EXPECT_EQ(cut.Value, 0u);
    const char blanks[] = "   7";
    EXPECT_FALSE(ParseHexNumber(blanks, 3, 0).Found);
}

} // namespace
