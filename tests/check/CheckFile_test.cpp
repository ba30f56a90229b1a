// Reading check files: every statement into its field, every mistake on its line.
#include "CheckFile.h"

#include <gtest/gtest.h>

namespace {

CheckFile Read(const std::string& text, std::vector<CheckFileError>& errors)
{
    return ReadCheckFile(text, errors);
}

TEST(CheckFile, ReadsEveryStatementOfACase)
{
    const std::string text = "title  Lab 3: sums   # a comment\n"
                             "cpu 8080\n"
                             "steps 5000\n"
                             "expect stop halt\n"
                             "case first one\n"
                             "  points 4\n"
                             "  hidden\n"
                             "  memory 2050H: 5, 0x10 0FFH\n"
                             "  registers A=1 HL = 2050H\n"
                             "  flags CY=1 Z=0\n"
                             "  in 01H: 10 20\n"
                             "  interrupt 120 RST7.5\n"
                             "  interrupt 3 INTR:7\n"
                             "  tstates 900\n"
                             "  expect memory 2060H: 0AH\n"
                             "  expect registers B=2\n"
                             "  expect flags P=1\n"
                             "  expect out 02H:\n"
                             "  expect tstates 400\n"
                             "case\n";
    std::vector<CheckFileError> errors;
    const CheckFile check = Read(text, errors);
    ASSERT_TRUE(errors.empty()) << errors[0].Line << ": " << errors[0].Text;
    EXPECT_EQ(check.Title, "Lab 3: sums");
    EXPECT_TRUE(check.Is8080);
    ASSERT_EQ(check.Cases.size(), 2u);
    const CheckCase& c = check.Cases[0];
    EXPECT_EQ(c.Name, "first one");
    EXPECT_EQ(c.Line, 5);
    EXPECT_EQ(c.Points, 4);
    EXPECT_TRUE(c.Hidden);
    ASSERT_EQ(c.Memory.size(), 1u);
    EXPECT_EQ(c.Memory[0].Address, 0x2050);
    EXPECT_EQ(c.Memory[0].Bytes, (std::vector<std::uint8_t>{5, 0x10, 0xFF}));
    ASSERT_EQ(c.Registers.size(), 2u);
    EXPECT_EQ(c.Registers[1].Name, "HL");
    EXPECT_EQ(c.Registers[1].Value, 0x2050);
    ASSERT_EQ(c.Flags.size(), 2u);
    EXPECT_EQ(c.Flags[0].Name, "CY");
    EXPECT_EQ(c.Flags[0].Value, 1);
    ASSERT_EQ(c.Inputs.size(), 1u);
    EXPECT_EQ(c.Inputs[0].Bytes, (std::vector<std::uint8_t>{10, 20}));
    ASSERT_EQ(c.Interrupts.size(), 2u);
    EXPECT_EQ(c.Interrupts[0].Step, 3u); // ordered by step
    EXPECT_EQ(c.Interrupts[0].Source, "INTR:7");
    EXPECT_EQ(c.Interrupts[1].Source, "RST7.5");
    EXPECT_EQ(c.MaxSteps, 5000u); // from before the first case
    EXPECT_EQ(c.MaxStates, 900u);
    EXPECT_EQ(c.Stop, ExpectedStop::Halt);
    ASSERT_EQ(c.ExpectOut.size(), 1u);
    EXPECT_TRUE(c.ExpectOut[0].Bytes.empty());
    EXPECT_EQ(c.ExpectStates, 400u);
    // The second case: the defaults, no name of its own, one point.
    EXPECT_EQ(check.Cases[1].Name, "case 2");
    EXPECT_EQ(check.Cases[1].Points, 1);
    EXPECT_EQ(check.Cases[1].MaxSteps, 5000u);
    EXPECT_TRUE(check.Cases[1].Memory.empty());
    EXPECT_EQ(TotalPoints(check), 5);
}

struct ErrorRow {
    const char* Line;
    const char* Error;
};

// One mistake per row, in a case; the error names it.
const ErrorRow _Errors[] = {
    {"memory 2050H 5", "a ':' must follow the address"},
    {"memory 2050H: 0A", "0A is no byte (0 to 255, or 00H to 0FFH) (hexadecimal needs its H: 0AH)"},
    {"memory 0FFFFH: 1 2", "the bytes run past 0FFFFH"},
    {"memory 2050H:", "no bytes given"},
    {"registers A=100H", "100H is no byte (0 to 0FFH)"},
    {"registers IX=1", "IX is no register (A B C D E H L BC DE HL SP PC)"},
    {"registers A 1", "an '=' must follow A"},
    {"flags CY=2", "2 is no flag value (0 or 1)"},
    {"flags K=1", "K is no flag (S Z AC P CY)"},
    {"in 100H: 1", "100H is no port (0 to 0FFH)"},
    {"in 1: 1\nin 01H: 2", "port 01H is given twice"},
    {"interrupt 0 TRAP", "steps count from 1"},
    {"interrupt 5 RST8.5", "RST8.5 is no interrupt source (TRAP, RST7.5, RST6.5, RST5.5, INTR:0 to INTR:7)"},
    {"interrupt 5 INTR:8", "INTR:8 is no interrupt source (TRAP, RST7.5, RST6.5, RST5.5, INTR:0 to INTR:7)"},
    {"kit trainer-a", "kit trainer-a: kit profiles are not available yet"},
    {"steps 0", "a step limit of 0 would run nothing"},
    {"steps many", "many is no step limit (1 or more)"},
    {"expect stop forever", "forever is no way to stop (end, halt, kit, steps)"},
    {"expect register A=1", "expect register: expected memory, registers, flags, out, stop or tstates"},
    {"expect stop halt now", "unexpected now at the end of the line"},
    {"points 1001", "1001 is no number of points (0 to 1000)"},
    {"cpu 8080", "cpu belongs before the first case"},
    {"frobnicate", "frobnicate is no statement of a check file"},
};

TEST(CheckFile, NamesEachMistakeOnItsLine)
{
    for (const ErrorRow& row : _Errors) {
        std::vector<CheckFileError> errors;
        Read(std::string("case one\n") + row.Line + "\n", errors);
        ASSERT_FALSE(errors.empty()) << row.Line;
        EXPECT_EQ(errors.back().Text, row.Error) << row.Line;
        EXPECT_GE(errors.back().Line, 2) << row.Line;
    }
}

TEST(CheckFile, PointsAndHiddenBelongInACase)
{
    std::vector<CheckFileError> errors;
    Read("points 3\nhidden\ncase a\n", errors);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].Line, 1);
    EXPECT_EQ(errors[0].Text, "points belongs in a case");
    EXPECT_EQ(errors[1].Line, 2);
}

TEST(CheckFile, AFileWithoutACaseIsRefused)
{
    std::vector<CheckFileError> errors;
    Read("# nothing\ntitle Empty\n", errors);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].Text, "no case: a check file needs at least one \"case NAME\"");
}

TEST(CheckFile, NumbersAreDecimalUnlessTheySayHexadecimal)
{
    std::vector<CheckFileError> errors;
    const CheckFile check = Read("case a\nmemory 10: 10 10H 0x10 0ffh\n", errors);
    ASSERT_TRUE(errors.empty());
    EXPECT_EQ(check.Cases[0].Memory[0].Address, 10);
    EXPECT_EQ(check.Cases[0].Memory[0].Bytes, (std::vector<std::uint8_t>{10, 16, 16, 255}));
}

} // namespace
