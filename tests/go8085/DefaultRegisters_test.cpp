#include "DefaultRegisters.h"

#include <gtest/gtest.h>

namespace {

TEST(FirstListingAddress, FirstRecordModulo65536)
{
    const struct {
        const char* Listing;
        std::optional<std::uint16_t> Expected;
    } rows[] = {
        {"8192       MVI       B       5\n8194       HLT\n", 0x2000},
        {"0       NOP\n", 0x0000},
        {"-1       NOP\n", 0xFFFF},
        {"-32768       DB       1\n", 0x8000},
        {"32767       NOP\n", 0x7FFF},
        {"", std::nullopt},
        {"\n", std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FirstListingAddress(row.Listing), row.Expected) << row.Listing;
    }
}

TEST(MakeDefaultRegisterFile, ZeroStateWithTheProgramCounter)
{
    EXPECT_EQ(MakeDefaultRegisterFile(0x2000), "0 0 0 0 0 0 0\n8192 0\n0 0 0 0 0\n0\n");
    EXPECT_EQ(MakeDefaultRegisterFile(0x8000), "0 0 0 0 0 0 0\n-32768 0\n0 0 0 0 0\n0\n");
    EXPECT_EQ(MakeDefaultRegisterFile(0xFFFF), "0 0 0 0 0 0 0\n-1 0\n0 0 0 0 0\n0\n");
}

TEST(FindEndStart, TheLastEndThatNamesALabelWithItsValueFromTheSymbols)
{
    const std::string symbols = "LOOP \t 2 \t 8197\nTOP \t 2 \t -32768\nSTART \t 2 \t 8192\nCOUNT \t 1 \t 10\n";
    struct Row {
        const char* Source;
        int Line;
        const char* Label;
        std::optional<std::uint16_t> Address;
    };
    const Row rows[] = {
        {"\tORG 2000H\nSTART:\tNOP\n\tEND START\n", 3, "START", 0x2000},
        {"\tEND\tTOP   ; the top\n", 1, "TOP", 0x8000},
        {"DONE:\tend LOOP\n", 1, "LOOP", 0x2005},
        {"\tEND START\n\tEND LOOP\n", 2, "LOOP", 0x2005},
        {"\tEND MAIN\n", 1, "MAIN", std::nullopt},
        {"\tEND\n", 0, "", std::nullopt},
        {"; END START\n", 0, "", std::nullopt},
        {"\tEND START, LOOP\n", 0, "", std::nullopt},
        {"\tSENDER START\n", 0, "", std::nullopt},
    };
    for (const Row& row : rows) {
        const EndStart start = FindEndStart(row.Source, symbols);
        EXPECT_EQ(start.Line, row.Line) << row.Source;
        EXPECT_EQ(start.Label, row.Label) << row.Source;
        EXPECT_EQ(start.Address, row.Address) << row.Source;
    }
}

TEST(NoteEndStart, TheEndNoteSaysWhereTheProgramStartsOrWarnsOfAnUndefinedLabel)
{
    const Problem endNote{3, Severity::Note, "END is not needed: the source ends at its last line, and pass 1 "
                                             "leaves this line out"};
    std::vector<Problem> problems{{1, Severity::Error, "x"}, endNote};
    NoteEndStart({3, "START", 0x2000}, 0x003C, problems);
    ASSERT_EQ(problems.size(), 2U);
    EXPECT_EQ(problems[1].Kind, Severity::Note);
    EXPECT_EQ(problems[1].Text, "the program starts at START, 2000H, as END names it (pass 1 leaves this line out)");

    problems = {endNote};
    NoteEndStart({3, "MAIN", std::nullopt}, 0x003C, problems);
    ASSERT_EQ(problems.size(), 1U);
    EXPECT_EQ(problems[0].Kind, Severity::Warning);
    EXPECT_EQ(problems[0].Text, "END names MAIN, which the program does not define: it starts at 003CH, its first "
                                "address");

    problems = {endNote};
    NoteEndStart({}, 0x2000, problems);
    EXPECT_EQ(problems[0].Text, endNote.Text);
}

} // namespace
