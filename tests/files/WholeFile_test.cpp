#include "WholeFile.h"

#include "support/RunProgram.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A pipe or a device (here a FIFO, as /dev/stderr may be) is written in
// place: a temporary renamed over it would replace it with a regular file.
TEST(WriteWholeFile, WritesAPipeInPlace)
{
    ScratchDirectory dir;
    const std::string fifo = (dir.Path / "pipe").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    std::string error;
    EXPECT_TRUE(WriteWholeFile(fifo, "abc", error)) << error;
    struct stat status {};
    ASSERT_EQ(::stat(fifo.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    char got[8] = {};
    EXPECT_EQ(::read(reader, got, sizeof got), 3);
    EXPECT_STREQ(got, "abc");
    ::close(reader);
}

} // namespace

// A file of the limit is read whole; one byte more is refused, in words that
// name the limit.
TEST(ReadWholeFile, RefusesAFileLargerThanItsLimit)
{
    struct Row {
        std::size_t Length;
        std::size_t Limit;
        const char* Error; // empty: read whole
    } rows[] = {
        {3 << 20, 3 << 20, ""},
        {(3 << 20) + 1, 3 << 20, "larger than 3 MiB, the most read from one file"},
        {2048, 2000, "larger than 2000 bytes, the most read from one file"},
    };
    for (const Row& row : rows) {
        ScratchDirectory dir;
        WriteFileBytes(dir.Path / "f", std::string(row.Length, 'x'));
        std::string bytes;
        std::string error;
        EXPECT_EQ(ReadWholeFile((dir.Path / "f").string(), bytes, error, row.Limit), *row.Error == '\0') << row.Error;
        EXPECT_EQ(error, row.Error);
        EXPECT_EQ(bytes.size(), *row.Error == '\0' ? row.Length : 0u);
    }
}
