#include "OutputFile.h"

#include "support/TakeNothing.h"

#include <gtest/gtest.h>

namespace {

TEST(WriteAll, WriteThatTakesNoByteFails)
{
    TakeNothingCalls = 0;
    EXPECT_FALSE(WriteAll(1, "line\n", 5, TakeNothing));
    EXPECT_EQ(TakeNothingCalls, 1);
}

} // namespace
