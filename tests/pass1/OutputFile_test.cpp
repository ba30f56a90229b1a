#include "OutputFile.h"

#include <cerrno>

#include <gtest/gtest.h>

namespace {

// Calls made to TakeNothing; it fails the call after many, so that a writer
// that never gives up still ends.
int _TakeNothingCalls = 0;

// A write that takes no byte, as write(2) may answer for a non-zero count.
ssize_t TakeNothing(int, const void*, std::size_t)
{
    ++_TakeNothingCalls;
    if (_TakeNothingCalls > 1000) {
        errno = EIO;
        return -1;
    }
    return 0;
}

TEST(WriteAll, WriteThatTakesNoByteFails)
{
    _TakeNothingCalls = 0;
    EXPECT_FALSE(WriteAll(1, "line\n", 5, TakeNothing));
    EXPECT_EQ(_TakeNothingCalls, 1);
}

}  // namespace
