#include "KitComment.h"

#include <gtest/gtest.h>

namespace {

// Only the comments above the first statement name a kit.
TEST(FindKitComment, TopCommentsOnly)
{
    const struct {
        const char* Source;
        const char* Kit;
    } rows[] = {
        {"; kit: sdk85\n        MVI A,1\n", "sdk85"},
        {"\n\n  ;;KIT:dyna85 (the lab's board)\r\nRST 5\n", "dyna85"},
        {"; A counter\n; kit: als85\n; by a student\n  HLT\n", "als85"},
        {"        MVI A,1\n; kit: sdk85\n", ""},
        {"; kits: sdk85\n", ""},
        {"; kit:\n; kit: sdk85\n", "sdk85"},
        {"", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FindKitComment(row.Source), row.Kit) << row.Source;
}

} // namespace
