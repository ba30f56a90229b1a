#include "InputFile.h"

#include "support/RunProgram.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

struct ReadRecord {
    std::string Line;
    bool Cut;
    bool MetEnd;
};

// Reads a file the way the source loop does: test for the end, then read.
std::vector<ReadRecord> ReadAllLines(const std::string& bytes, std::size_t capacity = 511)
{
    ScratchDirectory dir;
    WriteFileBytes(dir.Path / "src", bytes);
    auto file = std::make_unique<InputFile>();
    EXPECT_TRUE(OpenInputFile(*file, (dir.Path / "src").c_str()));
    std::vector<ReadRecord> records;
    std::vector<char> line(capacity);
    while (!file->MetEnd) {
        bool cut = false;
        const std::size_t length = ReadLine(*file, line.data(), capacity, cut);
        records.push_back({std::string(line.data(), length), cut, file->MetEnd});
    }
    CloseInputFile(*file);
    return records;
}

TEST(InputFile, FinalLineFeedGivesOneMoreEmptyRead)
{
    const auto records = ReadAllLines("A\nB\n");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].Line, "A");
    EXPECT_EQ(records[1].Line, "B");
    EXPECT_EQ(records[2].Line, "");
    EXPECT_FALSE(records[1].MetEnd);
    EXPECT_TRUE(records[2].MetEnd);
}

TEST(InputFile, LastLineWithoutLineFeedEndsTheInput)
{
    const auto records = ReadAllLines("A\nB");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].Line, "B");
    EXPECT_TRUE(records[1].MetEnd);
}

TEST(InputFile, EmptyFileGivesOneEmptyRead)
{
    const auto records = ReadAllLines("");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Line, "");
}

TEST(InputFile, CarriageReturnStaysInTheLine)
{
    const auto records = ReadAllLines("HLT\r\n");
    EXPECT_EQ(records[0].Line, "HLT\r");
}

TEST(InputFile, LineOfExactly510CharactersIsWhole)
{
    const std::string full(510, 'x');
    const auto records = ReadAllLines(full + "\nnext\n");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].Line, full);
    EXPECT_FALSE(records[0].Cut);
    EXPECT_EQ(records[1].Line, "next");
}

TEST(InputFile, LongerLineIsCutAndTheNextLineIsReadNormally)
{
    const auto records = ReadAllLines(std::string(511, 'x') + "\nnext\n");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].Line, std::string(510, 'x'));
    EXPECT_TRUE(records[0].Cut);
    EXPECT_EQ(records[1].Line, "next");
    EXPECT_FALSE(records[1].Cut);
}

TEST(InputFile, LinesSpanningBufferRefillsAreJoined)
{
    std::string bytes(_InputBufferSize - 2, ';');
    bytes += "\nABCDEF\n";
    const auto records = ReadAllLines(bytes, _InputBufferSize + 10);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].Line.size(), _InputBufferSize - 2);
    EXPECT_EQ(records[1].Line, "ABCDEF");
}

TEST(InputFile, DirectoryAndMissingFileCannotBeOpened)
{
    ScratchDirectory dir;
    auto file = std::make_unique<InputFile>();
    EXPECT_FALSE(OpenInputFile(*file, dir.Path.c_str()));
    EXPECT_FALSE(OpenInputFile(*file, (dir.Path / "absent").c_str()));
}

} // namespace
