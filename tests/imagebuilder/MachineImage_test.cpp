#include "MachineImage.h"

#include <gtest/gtest.h>

namespace {

TEST(MachineImage, WordsAreStoredLowByteFirst)
{
    LittleEndianWord word{};
    StoreWord(word, 8192);
    EXPECT_EQ(word.Bytes[0], 0x00);
    EXPECT_EQ(word.Bytes[1], 0x20);
    StoreWord(word, -2);
    EXPECT_EQ(word.Bytes[0], 0xFE);
    EXPECT_EQ(word.Bytes[1], 0xFF);
    StoreWord(word, 0x1234);
    EXPECT_EQ(word.Bytes[0], 0x34);
    EXPECT_EQ(word.Bytes[1], 0x12);
}

TEST(MachineImage, WordsKeepTheWholeSigned16BitRange)
{
    for (const int value : {-32768, -1, 0, 1, 255, 256, 32767}) {
        LittleEndianWord word{};
        StoreWord(word, static_cast<std::int16_t>(value));
        EXPECT_EQ(LoadWord(word), value);
    }
}

} // namespace
