#include "SymbolList.h"

#include "LogCapture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Starts each test from an empty list and releases what it added.
class SymbolListTest : public testing::Test {
protected:
    void SetUp() override
    {
        SymbolList = nullptr;
        SymbolCount = 0;
    }
    void TearDown() override
    {
        CleanSymbolList(SymbolList);
        SymbolList = nullptr;
        SymbolCount = 0;
    }
    // The symbol file written from the current list.
    std::string SymbolFile()
    {
        const auto path = log.Directory.Path / "prog.sym";
        WriteToSymbolFile(SymbolList, path.c_str());
        return ReadFileBytes(path);
    }
    LogCapture log;
};

TEST_F(SymbolListTest, WorkedExampleOfSixCalls)
{
    Append("START", 2, MakeSymbolData(0x2000));
    Append("COUNT", 1, MakeSymbolData(10));
    Append("LOOP", 2, MakeSymbolData(0x2002));
    Append("BAD", -1, MakeSymbolData(0));
    Append("TOP", 2, MakeSymbolData(static_cast<std::int16_t>(0x8000)));
    Append("LOOP", 2, MakeSymbolData(0x2005));
    EXPECT_EQ(SymbolCount, 5);
    EXPECT_EQ(log.Text(), "Added Symbol: START to Symbol List\nSymbol Count: 1\n"
                          "Added Symbol: COUNT to Symbol List\nSymbol Count: 2\n"
                          "Added Symbol: LOOP to Symbol List\nSymbol Count: 3\n"
                          "CRITICAL ERROR: Unable to add Symbol. Size of symbol cannot  be greater than 2\n"
                          "Added Symbol: TOP to Symbol List\nSymbol Count: 4\n"
                          "Added Symbol: LOOP to Symbol List\nSymbol Count: 5\n");
    const std::string file = SymbolFile();
    EXPECT_EQ(file, "LOOP \t 2 \t 8197\nTOP \t 2 \t -32768\nLOOP \t 2 \t 8194\n"
                    "COUNT \t 1 \t 10\nSTART \t 2 \t 8192\n");
    EXPECT_EQ(file.size(), 81u);
}

TEST_F(SymbolListTest, SizesAboveTwoTakenUnsignedAreRefused)
{
    for (const std::int32_t size : {-1, 3, 100, INT32_MIN}) {
        Append("X", size, MakeSymbolData(1));
    }
    EXPECT_EQ(SymbolCount, 0);
    EXPECT_EQ(SymbolList, nullptr);
    Append("ZERO", 0, MakeSymbolData(7));
    EXPECT_EQ(SymbolCount, 1);
    EXPECT_EQ(SymbolFile(), "ZERO \t 0 \t 7\n");
}

TEST_F(SymbolListTest, ByteForSizeOneAndSignedWordOtherwise)
{
    Append("B", 1, MakeSymbolData(-5));
    Append("W1", 2, MakeSymbolData(0x7FFF));
    Append("W2", 2, MakeSymbolData(static_cast<std::int16_t>(0x8000)));
    Append("W3", 2, MakeSymbolData(-1));
    EXPECT_EQ(SymbolFile(), "W3 \t 2 \t -1\nW2 \t 2 \t -32768\nW1 \t 2 \t 32767\nB \t 1 \t 251\n");
}

TEST_F(SymbolListTest, NameLengths)
{
    const std::string name63(63, 'N');
    Append(name63.c_str(), 2, MakeSymbolData(1));
    Append("", 2, MakeSymbolData(2));
    const std::string name300(300, 'L');
    Append(name300.c_str(), 2, MakeSymbolData(3));
    EXPECT_EQ(SymbolFile(), std::string(255, 'L') + " \t 2 \t 3\n \t 2 \t 2\n" + name63 + " \t 2 \t 1\n");
}

TEST_F(SymbolListTest, EmptyListEmptiesAnExistingFile)
{
    const auto path = log.Directory.Path / "prog.sym";
    WriteFileBytes(path, "stale contents\n");
    WriteToSymbolFile(nullptr, path.c_str());
    EXPECT_EQ(ReadFileBytes(path), "");
}

TEST_F(SymbolListTest, FileThatCannotBeCreatedIsReportedOnStandardOutput)
{
    Append("A", 2, MakeSymbolData(1));
    const std::string before = log.Text();
    const auto path = log.Directory.Path / "missing-dir" / "prog.sym";
    testing::internal::CaptureStdout();
    WriteToSymbolFile(SymbolList, path.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "FATAL ERROR: Unable to open " + path.string() + "\n");
    EXPECT_EQ(log.Text(), before);
}

} // namespace
