#include "Statement.h"

#include "Keywords.h"
#include "LogCapture.h"
#include "Pass1.h"
#include "SymbolList.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Keywords, WholeTokensOnly)
{
    EXPECT_TRUE(IsLabel("START:"));
    EXPECT_TRUE(IsLabel(":"));
    EXPECT_TRUE(IsLabel("A::"));
    EXPECT_FALSE(IsLabel(""));
    EXPECT_FALSE(IsLabel("START:\r"));
    EXPECT_TRUE(IsORG("ORG"));
    EXPECT_TRUE(IsDB("DB"));
    EXPECT_TRUE(IsDW("DW"));
    EXPECT_TRUE(IsEQU("EQU"));
    for (const char* other : {"DBX", "D", "db", "ORG:", "EQU\r", "", "DWW"}) {
        EXPECT_FALSE(IsORG(other) || IsDB(other) || IsDW(other) || IsEQU(other)) << other;
    }
}

// Runs source lines through the lexer and the statement processing, with the
// opcode table MVI 2, DCR 1, JNZ 3, HLT 1, NOP 1, MOV 1.
class StatementTest : public testing::Test {
protected:
    void SetUp() override
    {
        SymbolList = nullptr;
        SymbolCount = 0;
        const auto tablePath = log.Directory.Path / "opcodes.txt";
        WriteFileBytes(tablePath, "6\nMVI 2\nDCR 1\nJNZ 3\nHLT 1\nNOP 1\nMOV 1\n");
        table = ReadOpcodeTable(tablePath.c_str());
        CreateOutputFile(listing, (log.Directory.Path / "listing").c_str());
    }
    void TearDown() override
    {
        CloseOutputFile(listing);
        FreeOpcodeTable(table);
        CleanSymbolList(SymbolList);
        SymbolList = nullptr;
        SymbolCount = 0;
    }
    // Processes one line and returns what the statement processing logged.
    std::string Line(const std::string& text)
    {
        char tokens[_MaxTokens][_MaxTokenLength];
        const int count = Tokenize(text.c_str(), tokens);
        const std::size_t before = log.Text().size();
        if (count > 0) {
            ProcessStatement(tokens, count, table, counter, listing);
        }
        return log.Text().substr(before);
    }
    std::string Listing()
    {
        return ReadFileBytes(log.Directory.Path / "listing");
    }
    std::string Symbols()
    {
        const auto path = log.Directory.Path / "sym";
        WriteToSymbolFile(SymbolList, path.c_str());
        return ReadFileBytes(path);
    }

    LogCapture log;
    OpcodeTableStructure* table = nullptr;
    OutputStream listing;
    std::int16_t counter = _DefaultLocation;
};

TEST_F(StatementTest, LabelWithInstruction)
{
    EXPECT_EQ(Line("START:  MVI A, 05H"), "Label Found: START\nAdded Symbol: START to Symbol List\nSymbol Count: 1\n"
                                          "Mnemonic Identified: MVI\n");
    EXPECT_EQ(counter, 8194);
    EXPECT_EQ(Listing(), "8192       MVI       A       05H\n");
    EXPECT_EQ(Symbols(), "START \t 2 \t 8192\n");
}

TEST_F(StatementTest, LabelWithData)
{
    counter = 8199;
    Line("X: NOP");
    Line("Y: NOP");
    counter = 8199;
    EXPECT_EQ(Line("TABLE: DB 1, 300"),
              "Label Found: TABLE\nAdded Symbol: TABLE to Symbol List\nSymbol Count: 3\n"
              "DB identified\nParsing Token 1\nstr2symboldata Results: size = 1 data = 1\n"
              "Added 1 Byte Data 1\nParsing Token 300\nstr2symboldata Results: size = 2 data = 300\n"
              "Added 1 Byte Data 300\n");
    EXPECT_EQ(counter, 8201);
    EXPECT_EQ(Listing().substr(Listing().rfind("8199       DB")), "8199       DB       1       44\n");
}

TEST_F(StatementTest, LabelsAloneAndOddLabels)
{
    EXPECT_EQ(Line("HERE:"), "Label Found: HERE\nAdded Symbol: HERE to Symbol List\nSymbol Count: 1\n");
    Line(":");
    Line("a::");
    Line("start: hlt");
    EXPECT_EQ(counter, 8193);
    EXPECT_EQ(Listing(), "8192       HLT\n");
    EXPECT_EQ(Symbols(), "START \t 2 \t 8192\nA: \t 2 \t 8192\n \t 2 \t 8192\nHERE \t 2 \t 8192\n");
}

TEST_F(StatementTest, LabelFollowedByAnythingElseIsReported)
{
    EXPECT_EQ(Line("START: ORG 100H"), "Label Found: START\nAdded Symbol: START to Symbol List\nSymbol Count: 1\n"
                                       "Parse Error: Unable to parse the rest of this line after the label\n");
    Line("COUNT: EQU 5");
    EXPECT_EQ(counter, 8192);
    EXPECT_EQ(Listing(), "");
    EXPECT_EQ(Symbols(), "COUNT \t 2 \t 8192\nSTART \t 2 \t 8192\n");
}

TEST_F(StatementTest, Org)
{
    EXPECT_EQ(Line("ORG 100H 200H"), "ORG Found\nstr2symboldata Results: size = 2 data = 256\n");
    EXPECT_EQ(counter, 256);
    EXPECT_EQ(Line("ORG"), "ORG Found\nORG Parse error: Missing Address\n");
    EXPECT_EQ(counter, 256);
    Line("ORG START");
    EXPECT_EQ(counter, 0);
    counter = 5;
    Line("ORG 12345H");
    EXPECT_EQ(counter, 0);
    Line("org 7fffh");
    Line("NOP");
    Line("NOP");
    Line("ORG FFFFH");
    Line("NOP");
    Line("NOP");
    EXPECT_EQ(Listing(), "32767       NOP\n-32768       NOP\n-1       NOP\n0       NOP\n");
}

TEST_F(StatementTest, DataValues)
{
    EXPECT_EQ(Line("DB"), "DB identified\nDB parse Error: No Data Found\n");
    EXPECT_EQ(Line("DW"), "DW identified\nDW parse Error: No Data Found\n");
    Line("X: DB");
    EXPECT_EQ(counter, 8192);
    EXPECT_EQ(Line("DB -1"), "DB identified\nParsing Token -1\nstr2symboldata Results: size = 1 data = -1\n"
                             "Added 1 Byte Data -1\n");
    counter = 8192;
    Line("DB 300, -1, 0FFH, LOOP, 'A', 12345H");
    EXPECT_EQ(counter, 8198);
    EXPECT_EQ(Line("DW FFFFH 8000H 1234H"),
              "DW identified\nParsing Token FFFFH\nstr2symboldata Results: size = 2 data = -1\n"
              "Added 2 Byte Data -1\nParsing Token 8000H\nstr2symboldata Results: size = 2 data = -32768\n"
              "Added 2 Byte Data -32768\nParsing Token 1234H\nstr2symboldata Results: size = 2 data = 4660\n"
              "Added 2 Byte Data 4660\n");
    EXPECT_EQ(counter, 8204);
    EXPECT_EQ(Listing(), "8192       DB       255\n8192       DB       44       255       255       0       0       0\n"
                         "8198       DW       -1       -32768       4660\n");
    EXPECT_EQ(Symbols(), "X \t 2 \t 8192\n");
}

TEST_F(StatementTest, Equ)
{
    EXPECT_EQ(Line("COUNT EQU 10 20"), "EQU Identified\nstr2symboldata Results: size = 1 data = 10\n"
                                       "Added Symbol: COUNT to Symbol List\nSymbol Count: 1\n");
    EXPECT_EQ(Line("COUNT EQU"), "EQU Identified\nEQU Parse error: Missing Data\n");
    EXPECT_EQ(Line("BIG EQU 0FFFFH"),
              "EQU Identified\nStr2SymbolData Error: Cannot convert symbol greater than word size\n"
              "str2symboldata Results: size = -1 data = 0\n"
              "CRITICAL ERROR: Unable to add Symbol. Size of symbol cannot  be greater than 2\n");
    Line("W EQU 1234H");
    EXPECT_EQ(counter, 8192);
    EXPECT_EQ(Listing(), "");
    EXPECT_EQ(Symbols(), "W \t 2 \t 4660\nCOUNT \t 1 \t 10\n");
}

TEST_F(StatementTest, DecisionOrder)
{
    EXPECT_EQ(Line("MOV EQU 5"), "Mnemonic Identified: MOV\n");
    Line("DB EQU 5");
    Line("HLT A B");
    EXPECT_EQ(Listing(), "8192       MOV       EQU       5\n8193       DB       0       5\n"
                         "8195       HLT       A       B\n");
    EXPECT_EQ(Symbols(), "");
}

TEST_F(StatementTest, UnrecognisedLinesAreReportedAndChangeNothing)
{
    EXPECT_EQ(Line("FOO"), "Parse Error: Unable to parse this line\n");
    EXPECT_EQ(Line("FOO BAR BAZ"), "Parse Error: Unable to parse this line\n");
    EXPECT_EQ(Line("HLT\r"), "Parse Error: Unable to parse this line\n");
    EXPECT_EQ(Line("'quoted' EQU 5"), "EQU Identified\nstr2symboldata Results: size = 1 data = 5\n"
                                      "Added Symbol: 'quoted to Symbol List\nSymbol Count: 1\n");
    EXPECT_EQ(counter, 8192);
    EXPECT_EQ(Listing(), "");
}

TEST_F(StatementTest, CarriageReturnStaysInTheLastOperand)
{
    Line("MVI A, 5\r");
    Line("DB 7\r");
    EXPECT_EQ(Listing(), "8192       MVI       A       5\r\n8194       DB       7\n");
}

TEST_F(StatementTest, OpcodeRowsSpelledLikeDirectivesWin)
{
    const auto tablePath = log.Directory.Path / "directives.txt";
    WriteFileBytes(tablePath, "2\nDB 4\nDW 5\n");
    FreeOpcodeTable(table);
    table = ReadOpcodeTable(tablePath.c_str());
    Line("DB 1");
    Line("L: DW 2");
    EXPECT_EQ(Listing(), "8192       DB       1\n8196       DW       2\n");
    EXPECT_EQ(counter, 8201);
}

} // namespace
