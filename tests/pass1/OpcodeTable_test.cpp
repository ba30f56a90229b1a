#include "OpcodeTable.h"

#include "Lexer.h"
#include "LogCapture.h"
#include "RunLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

// A table loaded from given file bytes, with the log it wrote.
struct LoadedTable {
    OpcodeTableStructure* Table = nullptr;
    std::string Log;
    LoadedTable(const LoadedTable&) = delete;
    LoadedTable& operator=(const LoadedTable&) = delete;
    explicit LoadedTable(const std::string* bytes)
    {
        LogCapture log;
        const auto path = log.Directory.Path / "opcodes.txt";
        if (bytes != nullptr) {
            WriteFileBytes(path, *bytes);
        }
        Table = ReadOpcodeTable(path.c_str());
        Log = log.Text();
    }
    ~LoadedTable()
    {
        FreeOpcodeTable(Table);
    }
};

std::string Row(int i, const std::string& mnemonic, int size)
{
    return "\t" + std::to_string(i) + ".\t\t" + mnemonic + "\t\t" + std::to_string(size) + "\n";
}

TEST(ReadOpcodeTable, LoadsAndLogsEveryRow)
{
    const std::string file = "3\nNOP 1\nMVI 2\nJMP 3\n";
    LoadedTable t(&file);
    EXPECT_EQ(_OpcodeCount, 3);
    EXPECT_EQ(t.Log, "Opcode Count is 3\n" + Row(0, "NOP", 1) + Row(1, "MVI", 2) + Row(2, "JMP", 3));
    EXPECT_EQ(CheckMnemonic("JMP", t.Table), 2);
    EXPECT_EQ(GetInstructionSize(t.Table, "MVI"), 2);
}

TEST(ReadOpcodeTable, OnlyTheOrderOfItemsMatters)
{
    const std::string spread = "\r\n 3 NOP\r\n1 MVI\n\n2\tJMP\v\f3\r\n";
    LoadedTable t(&spread);
    EXPECT_EQ(t.Log, "Opcode Count is 3\n" + Row(0, "NOP", 1) + Row(1, "MVI", 2) + Row(2, "JMP", 3));
}

TEST(ReadOpcodeTable, ItemsAfterTheLastCountedRowAreIgnored)
{
    const std::string file = "1\nNOP 1\nHLT 1\n";
    LoadedTable t(&file);
    EXPECT_EQ(_OpcodeCount, 1);
    EXPECT_EQ(CheckMnemonic("HLT", t.Table), -1);
}

TEST(ReadOpcodeTable, MissingOrEmptyFilesGiveAnEmptyTable)
{
    const std::string empty;
    const std::string zero = "0\nNOP 1\n";
    const std::string words = "NOP 1\n";
    for (const std::string* bytes : {static_cast<const std::string*>(nullptr), &empty, &zero, &words}) {
        LoadedTable t(bytes);
        EXPECT_EQ(_OpcodeCount, 0);
        EXPECT_EQ(t.Log, "Opcode Count is 0\n");
        EXPECT_EQ(CheckMnemonic("NOP", t.Table), -1);
    }
}

TEST(ReadOpcodeTable, EveryCountedRowIsLoggedAndUnreadRowsNeverMatch)
{
    const std::string shortFile = "4\nNOP 1\nHLT\n";
    LoadedTable t(&shortFile);
    EXPECT_EQ(t.Log, "Opcode Count is 4\n" + Row(0, "NOP", 1) +
                         "Opcode table ends early: only 1 of 4 rows could be read\n" + Row(1, "", 0) + Row(2, "", 0) +
                         Row(3, "", 0));
    EXPECT_EQ(_OpcodeCount, 1);
    EXPECT_EQ(CheckMnemonic("NOP", t.Table), 0);
    EXPECT_EQ(CheckMnemonic("HLT", t.Table), -1);
    EXPECT_EQ(CheckMnemonic("", t.Table), -1);
    LogCapture log;
    EXPECT_EQ(GetInstructionSize(t.Table, ""), -1);
}

TEST(ReadOpcodeTable, SizeThatIsNoNumberEndsTheRowsTheFileSpells)
{
    const std::string file = "3\nNOP 1\nMVI two\nHLT 1\n";
    LoadedTable t(&file);
    EXPECT_EQ(t.Log, "Opcode Count is 3\n" + Row(0, "NOP", 1) +
                         "Opcode table ends early: only 1 of 3 rows could be read\n" + Row(1, "", 0) + Row(2, "", 0));
    EXPECT_EQ(CheckMnemonic("MVI", t.Table), -1);
    EXPECT_EQ(CheckMnemonic("HLT", t.Table), -1);

    const std::string huge = "1\nNOP 99999999999\n";
    LoadedTable h(&huge);
    EXPECT_EQ(h.Log, "Opcode Count is 1\nOpcode table ends early: only 0 of 1 rows could be read\n" + Row(0, "", 0));
    EXPECT_EQ(CheckMnemonic("NOP", h.Table), -1);
}

TEST(ReadOpcodeTable, CountAbove4096LoadsEveryRowTheFileHolds)
{
    const std::string twoRows = "5000\nMVI 2\nHLT 1\n";
    LoadedTable t(&twoRows);
    std::string log = "Opcode Count is 5000\n" + Row(0, "MVI", 2) + Row(1, "HLT", 1) +
                      "Opcode table ends early: only 2 of 5000 rows could be read\n";
    for (int i = 2; i < 5000; ++i) {
        log += Row(i, "", 0);
    }
    EXPECT_EQ(t.Log, log);
    EXPECT_EQ(_OpcodeCount, 2);
    EXPECT_EQ(CheckMnemonic("HLT", t.Table), 1);

    std::string allRows = "5000\n";
    for (int i = 0; i < 5000; ++i) {
        allRows += "OP" + std::to_string(i) + " 1\n";
    }
    LoadedTable a(&allRows);
    EXPECT_EQ(_OpcodeCount, 5000);
    EXPECT_EQ(CheckMnemonic("OP4999", a.Table), 4999);
}

TEST(ReadOpcodeTable, SecondLoadOfAMissingTableIsEmpty)
{
    const std::string file = "1\nNOP 1\n";
    LoadedTable first(&file);
    LoadedTable missing(nullptr);
    EXPECT_EQ(_OpcodeCount, 0);
    EXPECT_EQ(missing.Table, nullptr);
}

TEST(ReadOpcodeTable, CountBeyond32BitsIsNoNumber)
{
    const std::string file = "99999999999\nNOP 1\n";
    LoadedTable t(&file);
    EXPECT_EQ(t.Log, "Opcode Count is 0\n");
}

TEST(ReadOpcodeTable, NegativeCountGivesAnEmptyTable)
{
    const std::string file = "-3\nNOP 1\n";
    LoadedTable t(&file);
    EXPECT_EQ(t.Log, "Opcode Count is -3\nOpcode count is negative: the table is empty\n");
    EXPECT_EQ(_OpcodeCount, 0);
    EXPECT_EQ(CheckMnemonic("NOP", t.Table), -1);
}

TEST(ReadOpcodeTable, MnemonicLengthLimit)
{
    const std::string file = "3\nABCDEFGHIJK 2\nABCDEFGHIJKL 3\nNOP 1\n";
    LoadedTable t(&file);
    EXPECT_EQ(_OpcodeCount, 3);
    EXPECT_EQ(CheckMnemonic("ABCDEFGHIJK", t.Table), 0);
    EXPECT_EQ(CheckMnemonic("ABCDEFGHIJKL", t.Table), -1);
    EXPECT_EQ(CheckMnemonic("", t.Table), -1);
    EXPECT_EQ(CheckMnemonic("NOP", t.Table), 2);
    EXPECT_NE(t.Log.find("Mnemonic of row 1 is longer than 11 characters or holds a zero byte: "
                         "the row never matches\n" +
                         Row(1, "", 3)),
              std::string::npos);
}

TEST(CheckMnemonic, MatchesWholeTextsExactly)
{
    const std::string file = "3\nJMP 3\njmp 9\nJMP 7\n";
    LoadedTable t(&file);
    char tokens[_MaxTokens][_MaxTokenLength];
    LogCapture log;
    ASSERT_EQ(Tokenize("jmp", tokens), 1);
    EXPECT_EQ(CheckMnemonic(tokens[0], t.Table), 0); // a source token reaches the lookup upper-cased
    EXPECT_EQ(CheckMnemonic("jmp", t.Table), 1);
    EXPECT_EQ(CheckMnemonic("JMP", t.Table), 0);
    EXPECT_EQ(CheckMnemonic("JM", t.Table), -1);
    EXPECT_EQ(CheckMnemonic("JMPX", t.Table), -1);
    EXPECT_EQ(GetInstructionSize(t.Table, "JMP"), 3);
}

TEST(GetInstructionSize, UnknownMnemonicLeavesAnUnendedError)
{
    const std::string file = "1\nNOP 1\n";
    LoadedTable t(&file);
    LogCapture log;
    EXPECT_EQ(GetInstructionSize(t.Table, "XYZ"), -1);
    EXPECT_EQ(log.Text(), "ERROR: Unable to find Mnemonic XYZ");
    LogLine({"next"});
    EXPECT_EQ(log.Text(), "ERROR: Unable to find Mnemonic XYZnext\n");
}

} // namespace
