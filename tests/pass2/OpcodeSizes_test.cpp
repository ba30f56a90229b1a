#include "OpcodeSizes.h"

#include <gtest/gtest.h>

namespace {

TEST(ReadOpcodeSizes, TablesThatCheckNothingAreWarnings)
{
    const struct {
        const char* Text;
        const char* Warnings;
    } rows[] = {
        {"", "t:1: warning: the opcode table does not begin with a row count; instruction sizes are not checked\n"},
        {"NOP 1",
         "t:1: warning: the opcode table does not begin with a row count; instruction sizes are not checked\n"},
        {"0\nNOP 1", "t:1: warning: the opcode table's row count 0 gives no rows; instruction sizes are not checked\n"},
        {"-3", "t:1: warning: the opcode table's row count -3 gives no rows; instruction sizes are not checked\n"},
        {"2147483648",
         "t:1: warning: the opcode table does not begin with a row count; instruction sizes are not checked\n"},
    };
    for (const auto& row : rows) {
        Messages messages;
        EXPECT_FALSE(ReadOpcodeSizes(row.Text, "t", messages).Usable) << row.Text;
        EXPECT_EQ(messages.Pending, row.Warnings);
    }
}

TEST(ReadOpcodeSizes, RowsAsPassOneReadsThem)
{
    Messages messages;
    const OpcodeSizes table = ReadOpcodeSizes("3\nNOP 1 ABCDEFGHIJKL 2\n\nMVI x\nJMP 3", "t", messages);
    EXPECT_EQ(messages.Pending, "t:4: warning: the opcode table ends early: only 2 of 3 rows could be read\n");
    EXPECT_TRUE(table.Usable);
    EXPECT_EQ(table.Sizes.size(), 1u); // a mnemonic over 11 characters never matches
    EXPECT_EQ(table.Sizes.at("NOP"), 1);

    Messages counted;
    const OpcodeSizes rowsAfterCount = ReadOpcodeSizes("1 NOP 1 HLT 1", "t", counted);
    EXPECT_EQ(rowsAfterCount.Sizes.count("HLT"), 0u);
    EXPECT_EQ(counted.Pending, "");
}

// Pass 1 reads any count up to 2147483647 and keeps the rows the file holds,
// so the sizes it advanced by are checked whatever the count.
TEST(ReadOpcodeSizes, CountBeyondTheRowsKeepsTheRowsTheFileHolds)
{
    const struct {
        const char* Text;
        const char* Warnings;
    } rows[] = {
        {"5000\nNOP 1", "t:2: warning: the opcode table ends early: only 1 of 5000 rows could be read\n"},
        {"02147483647\nNOP 1", "t:2: warning: the opcode table ends early: only 1 of 2147483647 rows could be read\n"},
    };
    for (const auto& row : rows) {
        Messages messages;
        const OpcodeSizes table = ReadOpcodeSizes(row.Text, "t", messages);
        EXPECT_TRUE(table.Usable) << row.Text;
        EXPECT_EQ(table.Sizes.count("NOP"), 1u) << row.Text;
        EXPECT_EQ(messages.Pending, row.Warnings);
    }
}

} // namespace
