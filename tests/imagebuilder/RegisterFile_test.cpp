#include "RegisterFile.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

namespace {

const std::string _WorkedExample = "18 52 86 0 255 300 -1\n8192 -2\n1 0 7 0 1\n0\n";
const std::string _WorkedExampleBytes = "00 20 FE FF 12 34 56 00 FF 2C FF 34 56 00 FF 2C FF 91 01 00 00 01 01 00";

// Builds a FLAGS record with the given booleans and a stale flag byte.
FLAGS MakeFlags(unsigned char s, unsigned char z, unsigned char ac, unsigned char p, unsigned char cy)
{
    FLAGS flags{};
    flags.FlagByte = 0xAA;
    flags.S = s;
    flags.Z = z;
    flags.AC = ac;
    flags.P = p;
    flags.CY = cy;
    return flags;
}

// The flag byte that Flags2Byte computes for the given booleans.
unsigned PackedFlags(unsigned char s, unsigned char z, unsigned char ac, unsigned char p, unsigned char cy)
{
    FLAGS flags = MakeFlags(s, z, ac, p, cy);
    Flags2Byte(flags);
    return flags.FlagByte;
}

TEST(Flags2Byte, EachFlagHasItsOwnBit)
{
    EXPECT_EQ(PackedFlags(1, 0, 0, 0, 0), 0x80u);
    EXPECT_EQ(PackedFlags(0, 1, 0, 0, 0), 0x40u);
    EXPECT_EQ(PackedFlags(0, 0, 1, 0, 0), 0x10u);
    EXPECT_EQ(PackedFlags(0, 0, 0, 1, 0), 0x04u);
    EXPECT_EQ(PackedFlags(0, 0, 0, 0, 1), 0x01u);
}

TEST(Flags2Byte, AllSetGivesD5AndAllClearGivesZero)
{
    EXPECT_EQ(PackedFlags(1, 1, 1, 1, 1), 0xD5u);
    EXPECT_EQ(PackedFlags(0, 0, 0, 0, 0), 0x00u);
}

TEST(Flags2Byte, BitsFiveThreeAndOneAreNeverSet)
{
    for (unsigned bits = 0; bits < 32; ++bits) {
        const unsigned packed =
            PackedFlags(bits & 1, (bits >> 1) & 1, (bits >> 2) & 1, (bits >> 3) & 1, (bits >> 4) & 1);
        EXPECT_EQ(packed & 0x2Au, 0u) << bits;
    }
}

TEST(Flags2Byte, LeavesTheBooleansAsTheyAre)
{
    FLAGS flags = MakeFlags(1, 0, 1, 0, 1);
    Flags2Byte(flags);
    EXPECT_EQ(flags.FlagByte, 0x91);
    EXPECT_EQ(flags.S, 1);
    EXPECT_EQ(flags.Z, 0);
    EXPECT_EQ(flags.AC, 1);
    EXPECT_EQ(flags.P, 0);
    EXPECT_EQ(flags.CY, 1);
}

TEST(ReadREGSandFLAGS, WorkedExample)
{
    const auto image = ReadRegisterText(_WorkedExample);
    EXPECT_EQ(RegisterBytesText(*image), _WorkedExampleBytes);
    EXPECT_EQ(LoadWord(image->Word1), 8192);
    EXPECT_EQ(LoadWord(image->Word2), -2);
}

TEST(ReadREGSandFLAGS, GroupingOverLinesDoesNotMatter)
{
    const char* groupings[] = {
        "18 52 86 0 255 300 -1 8192 -2 1 0 7 0 1 0",
        "18\n52\n86\n0\n255\n300\n-1\n8192\n-2\n1\n0\n7\n0\n1\n0\n",
        "\n\n  18\t52  86\t\t0\r\n255 300 -1 8192\r\n-2 1\v0\f7 0\n\n1\n0",
    };
    for (const char* text : groupings) {
        EXPECT_EQ(RegisterBytesText(*ReadRegisterText(text)), _WorkedExampleBytes) << text;
    }
}

TEST(ReadREGSandFLAGS, RegistersKeepTheLow8BitsAndPairsRepeatThemHighFirst)
{
    const auto image = ReadRegisterText("0 255 -1 256 300 18 52 0 0 0 0 0 0 0 0");
    EXPECT_EQ(image->Registers.B, 0xFF);
    EXPECT_EQ(image->Registers.C, 0xFF);
    EXPECT_EQ(image->Registers.D, 0x00);
    EXPECT_EQ(image->Registers.E, 0x2C);
    EXPECT_EQ(image->Registers.BC.High, 0xFF);
    EXPECT_EQ(image->Registers.BC.Low, 0xFF);
    EXPECT_EQ(image->Registers.DE.High, 0x00);
    EXPECT_EQ(image->Registers.DE.Low, 0x2C);
    EXPECT_EQ(image->Registers.HL.High, 0x12);
    EXPECT_EQ(image->Registers.HL.Low, 0x34);
}

TEST(ReadREGSandFLAGS, AFlagIsOneForAnyNonzeroValue)
{
    const auto image = ReadRegisterText("0 0 0 0 0 0 0 0 0 2 256 -1 0 1 -32768");
    EXPECT_EQ(image->Flags.S, 1);
    EXPECT_EQ(image->Flags.Z, 1);
    EXPECT_EQ(image->Flags.AC, 1);
    EXPECT_EQ(image->Flags.P, 0);
    EXPECT_EQ(image->Flags.CY, 1);
    EXPECT_EQ(image->Flags.FlagByte, 0xD1);
    EXPECT_EQ(image->ExtraFlag, 1);
}

TEST(ReadREGSandFLAGS, ValuesAfterTheFifteenthAreIgnored)
{
    const auto image = ReadRegisterText(_WorkedExample + "1 2 3 bogus 0x55\n");
    EXPECT_EQ(RegisterBytesText(*image), _WorkedExampleBytes);
}

TEST(ReadREGSandFLAGS, MissingValuesGiveZeroAndTheFlagByteIsStillPacked)
{
    const auto shortFile = ReadRegisterText("1 2 3\n", 0xEE);
    EXPECT_EQ(RegisterBytesText(*shortFile), "00 00 00 00 01 02 03 00 00 00 00 02 03 00 00 00 00 00 00 00 00 00 00 00");
    const auto emptyFile = ReadRegisterText("", 0xEE);
    EXPECT_EQ(RegisterBytesText(*emptyFile), "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
}

TEST(ReadREGSandFLAGS, ATokenThatIsNoNumberGivesZeroAndReadingGoesOn)
{
    const auto image = ReadRegisterText("18 x 86 12abc 0x10 - 1.5 8192 -2 + 0 7 -- 1 seven");
    EXPECT_EQ(RegisterBytesText(*image), "00 20 FE FF 12 00 56 00 00 00 00 00 56 00 00 00 00 11 00 00 00 01 01 00");
}

TEST(ReadREGSandFLAGS, OutOfRangeValuesKeepTheirLow16Bits)
{
    const auto image = ReadRegisterText("70000 -65281 010 +5 0 0 0 65535 -32769 65536 -0 0 0 0 100000000000000000000");
    EXPECT_EQ(image->Registers.A, 0x70); // 70000 = 0x11170
    EXPECT_EQ(image->Registers.B, 0xFF); // -65281 = -0xFF01, low bits 0x00FF
    EXPECT_EQ(image->Registers.C, 10);   // leading zero: still decimal
    EXPECT_EQ(image->Registers.D, 5);
    EXPECT_EQ(image->Word1.Bytes[0], 0xFF);
    EXPECT_EQ(image->Word1.Bytes[1], 0xFF);
    EXPECT_EQ(LoadWord(image->Word2), 32767);
    EXPECT_EQ(image->Flags.S, 1); // 65536 is not zero, though its low bits are
    EXPECT_EQ(image->Flags.Z, 0); // -0 is zero
    EXPECT_EQ(image->ExtraFlag, 1);
}

TEST(ReadREGSandFLAGS, AFileThatCannotBeOpenedLeavesEveryFieldAsItWas)
{
    ScratchDirectory dir;
    std::filesystem::create_directory(dir.Path / "folder");
    for (const std::string& name : {(dir.Path / "missing").string(), (dir.Path / "folder").string()}) {
        auto before = std::make_unique<MachineImage>();
        std::memset(before.get(), 0xEE, sizeof *before);
        auto image = std::make_unique<MachineImage>(*before);
        testing::internal::CaptureStdout();
        ReadREGSandFLAGS(name.c_str(), image->Registers, image->Word1, image->Word2, image->Flags, image->ExtraFlag);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Critical Error: Unable to open " + name + "\n");
        EXPECT_EQ(RegisterBytesText(*image), RegisterBytesText(*before));
    }
}

} // namespace
