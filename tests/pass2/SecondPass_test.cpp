#include "SecondPass.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string RunOnListing(std::string_view listing, std::optional<std::string_view> table, Messages& messages)
{
    return RunSecondPass({"p.pass1", listing, "p.sym", "", "t", table}, messages);
}

// Pass 1 recognises no instruction without a table, so a listing that holds
// instructions then comes from elsewhere: they are encoded unchecked.
TEST(RunSecondPass, WithoutATableSizesAreNotChecked)
{
    Messages messages;
    EXPECT_EQ(RunOnListing("8192       DSUB\n", std::nullopt, messages), "2000 08\n");
    EXPECT_EQ(messages.Pending, "");
}

TEST(RunSecondPass, RecordThatWrapsOntoItselfIsReported)
{
    std::string listing = "0       DB";
    for (int i = 0; i < 65537; ++i) {
        listing += "       1";
    }
    Messages messages;
    RunOnListing(listing, "0", messages);
    EXPECT_EQ(messages.Pending, "t:1: warning: the opcode table's row count 0 gives no rows; instruction sizes are not "
                                "checked\np.pass1:1: warning: byte 0000H was placed already by this record; this "
                                "record's byte replaces it\n");
}

} // namespace
