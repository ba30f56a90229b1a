#include "MachineCode.h"
#include "imagebuilder/ReferenceLoader.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// The nonzero bytes of memory after loading text as a machine-code file.
NonzeroBytes Load(const std::string& text)
{
    return ListNonzeroBytes(*LoadMachineCodeText(text));
}

// A line of exactly 99 characters: address 2000, then the bytes 01 to 1F,
// the last one after three blanks so that it ends at the 99th character.
std::string LineOf99Characters()
{
    std::string line = "2000";
    for (int value = 1; value <= 30; ++value) {
        char item[4];
        std::snprintf(item, sizeof item, " %02X", value);
        line += item;
    }
    line += "   1F";
    return line;
}

// The bytes 01 to 1F from 0x2000 on.
NonzeroBytes BytesOfTheLineOf99Characters()
{
    NonzeroBytes bytes;
    for (unsigned value = 1; value <= 0x1F; ++value) {
        bytes[0x2000 + value - 1] = value;
    }
    return bytes;
}

TEST(ReadMachineCode, WorkedExample)
{
    const NonzeroBytes expected = {{0x0000, 0xAA}, {0x2000, 0x3E}, {0x2001, 0xFF}, {0x2002, 0x76},
                                   {0x2010, 0x21}, {0x2012, 0x20}, {0xFFFF, 0xC9}};
    EXPECT_EQ(Load("2000 3E 0A 76\n2010   21 00 20\n\nFFFF C9 AA\n2001 1FF\n3000\n"), expected);
}

TEST(ReadMachineCode, MemoryIsClearedEvenWhenTheFileCannotBeOpened)
{
    ScratchDirectory dir;
    std::filesystem::create_directory(dir.Path / "folder");
    for (const std::string& name : {(dir.Path / "missing").string(), (dir.Path / "folder").string()}) {
        auto image = std::make_unique<MachineImage>();
        std::memset(image->Memory, 0x5A, sizeof image->Memory);
        testing::internal::CaptureStdout();
        ReadMachineCode(name.c_str(), image->Memory);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Critical Error: Unable to open " + name + "\n");
        EXPECT_EQ(ListNonzeroBytes(*image), NonzeroBytes{});
    }
}

TEST(ReadMachineCode, FilesWithoutDataLeaveMemoryZero)
{
    for (const char* text : {"", "\n", "\n\n\n", "   \n\t\n", "2000\n2000   \t \n3000"}) {
        EXPECT_EQ(Load(text), NonzeroBytes{}) << text;
    }
}

TEST(ReadMachineCode, BlanksAndTabsMixAsSeparators)
{
    const NonzeroBytes expected = {{0x2000, 0x3E}, {0x2001, 0x0A}, {0x2002, 0x76}};
    EXPECT_EQ(Load("2000\t 3E  \t0A \t 76 \t \n"), expected);
}

TEST(ReadMachineCode, ALineBeginningWithABlankUsesItsFirstNumberTwice)
{
    const NonzeroBytes expected = {{0x2020, 0x20}, {0x2021, 0x05}, {0x3055, 0x55}, {0x3056, 0x11}};
    EXPECT_EQ(Load("  2020 05\n\t3055 11\n"), expected);
}

TEST(ReadMachineCode, CharactersAfterTheDigitsOfAnItemAreIgnored)
{
    const NonzeroBytes expected = {{0x2000, 0x3E}, {0x2001, 0x3E}, {0x2002, 0x76}};
    EXPECT_EQ(Load("2000h 3Eh 3E,0A 76;\n"), expected);
}

TEST(ReadMachineCode, SignsPrefixesAndWideValues)
{
    const NonzeroBytes expected = {{0x2000, 0xAA}, {0x2100, 0x07}, {0x2101, 0x05}, {0x2102, 0xFF},
                                   {0x2103, 0x1F}, {0x2104, 0xFE}, {0x2200, 0xFF}, {0x2201, 0x22}};
    EXPECT_EQ(Load("2100 0x7 +5 -1 0X1f -0x2\n2200 1FF 22\n12000 AA\n"), expected);
}

TEST(ReadMachineCode, TheLoadAddressWrapsFromFFFFToZero)
{
    const NonzeroBytes expected = {{0xFFFE, 0x01}, {0xFFFF, 0x02}, {0x0000, 0x03}, {0x0001, 0x04}};
    EXPECT_EQ(Load("FFFE 01 02 03 04\n"), expected);
}

TEST(ReadMachineCode, TheLastLineIsLoadedWithoutALineFeed)
{
    const NonzeroBytes expected = {{0x2000, 0x3E}, {0x2001, 0x0A}, {0x2002, 0x76}};
    EXPECT_EQ(Load("2000 3E 0A\n2002 76"), expected);
}

TEST(ReadMachineCode, ALineOf99CharactersIsLoadedWhole)
{
    const std::string line = LineOf99Characters();
    ASSERT_EQ(line.size(), 99u);
    EXPECT_EQ(Load(line + "\n"), BytesOfTheLineOf99Characters());
    EXPECT_EQ(Load(line), BytesOfTheLineOf99Characters());
}

TEST(ReadMachineCode, ALongerLineIsCutAfter99CharactersAndTheNextLineReadAsUsual)
{
    NonzeroBytes expected = BytesOfTheLineOf99Characters();
    expected[0x3000] = 0xAA;
    // Were the rest read as a line of its own, it would store 40 at 0x4000.
    EXPECT_EQ(Load(LineOf99Characters() + " 4000 BB CC\n3000 AA\n"), expected);
    EXPECT_EQ(Load(LineOf99Characters() + "7 20 21\n3000 AA\n"), expected);
}

TEST(ReadMachineCode, AnEndlessLineEndsTheFile)
{
    const std::string line = "2000 11 " + std::string(1 << 20, '2');
    EXPECT_EQ(Load(line), (NonzeroBytes{{0x2000, 0x11}, {0x2001, 0x22}}));
}

TEST(ReadMachineCode, CarriageReturnsBeforeLineFeedsChangeNothing)
{
    const NonzeroBytes expected = {{0x2000, 0x3E}, {0x2001, 0x77}, {0x2010, 0x21}, {0x2012, 0x20}};
    EXPECT_EQ(Load("2000 3E 0A\r\n\r\n2010 21 00 20\r\n2001 77\r\n2000 3E \r\n"), expected);
}

TEST(ReadMachineCode, ItemsWithoutANumberAreSkipped)
{
    const NonzeroBytes expected = {{0x2000, 0x11}, {0x2001, 0x22}, {0x2010, 0x66}};
    EXPECT_EQ(Load("2000 11 MOV 22\n2010 -- + 66\n"), expected);
}

TEST(ReadMachineCode, ALineThatDoesNotBeginWithANumberIsSkipped)
{
    const NonzeroBytes expected = {{0x2000, 0x11}};
    EXPECT_EQ(Load("2000 11\nHLT 33 44\n  ; 55\n- 66\n"), expected);
}

TEST(ReadMachineCode, NumbersOfMoreThanEightDigitsKeepTheirLowBits)
{
    const NonzeroBytes expected = {{0x2000, 0xAA}, {0x2001, 0x90}, {0xFFFF, 0x01}};
    EXPECT_EQ(Load("100002000 AA 1234567890\nFFFFFFFFFFFFFFFFFFFF 01\n"), expected);
}

TEST(ReadMachineCode, AZeroByteInALineIsAnOrdinaryCharacter)
{
    const NonzeroBytes expected = {{0x2000, 0x11}, {0x2001, 0x22}};
    EXPECT_EQ(Load(std::string("2000 11\0 22\n", 12)), expected);
}

TEST(ReadMachineCode, EveryAddressCanBeLoaded)
{
    std::string text;
    for (unsigned address = 0; address < 0x10000; address += 16) {
        char line[16];
        std::snprintf(line, sizeof line, "%04X", address);
        text += line;
        for (unsigned offset = 0; offset < 16; ++offset) {
            std::snprintf(line, sizeof line, " %02X", (address + offset) % 255 + 1);
            text += line;
        }
        text += '\n';
    }
    const auto image = LoadMachineCodeText(text);
    for (unsigned address = 0; address < 0x10000; ++address) {
        ASSERT_EQ(image->Memory[address], address % 255 + 1) << address;
    }
}

} // namespace

namespace {

// Random lines over the characters that matter to the scan; the same seed
// always gives the same lines.
std::string RandomLine(std::uint64_t& state)
{
    static const char _Alphabet[] = "  \t\t\r0123456789abcdefABCDEF0x0X+-ZhH,\n\v";
    auto next = [&state](std::uint64_t bound) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state % bound;
    };
    std::string line(next(40), ' ');
    for (char& c : line) {
        c = _Alphabet[next(sizeof _Alphabet - 1)];
    }
    if (!line.empty() && next(8) == 0) {
        line[next(line.size())] = '\0'; // a zero byte inside the line
    }
    return line;
}

TEST(LoadMachineCodeLine, MatchesTheLiteralScanOnRandomLines)
{
    std::uint64_t state = 0x243F6A8885A308D3ull;
    std::vector<unsigned char> fast(65536);
    std::vector<unsigned char> literal(65536);
    for (int i = 0; i < 200000; ++i) {
        std::string line = RandomLine(state);
        const std::size_t length = line.size();
        line.push_back('\0');
        LoadMachineCodeLine(line.data(), length, fast.data());
        reference::LoadLine(line.data(), length, literal.data());
        ASSERT_EQ(fast, literal) << "line " << i << ": \"" << line << "\"";
    }
}

} // namespace
