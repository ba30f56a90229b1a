#include "ImageFile.h"

#include "support/TakeNothing.h"

#include <gtest/gtest.h>

namespace {

TEST(WriteAllBytes, WriteThatTakesNoByteFails)
{
    const unsigned char bytes[4] = {1, 2, 3, 4};
    TakeNothingCalls = 0;
    EXPECT_FALSE(WriteAllBytes(1, bytes, sizeof bytes, TakeNothing));
    EXPECT_EQ(TakeNothingCalls, 1);
}

} // namespace
