#include "Listing.h"
#include "Messages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> FieldsOf(std::string_view line)
{
    ListingRecord record;
    EXPECT_EQ(ParseListingLine(line, record), "");
    return {record.Fields.begin(), record.Fields.end()};
}

// A quoted field may hold blanks: it runs to a run of seven blanks before
// the next field, or to the end of the line.
TEST(ParseListingLine, QuotedFieldsKeepTheirBlanks)
{
    using Fields = std::vector<std::string>;
    EXPECT_EQ(FieldsOf("8196       CPI       ' "), (Fields{"CPI", "' "}));
    EXPECT_EQ(FieldsOf("8196       DB       'a b"), (Fields{"DB", "'a b"}));
    EXPECT_EQ(FieldsOf("8196       MVI       ' "
                       "       "
                       "+1"),
              (Fields{"MVI", "' ", "+1"}));
    EXPECT_EQ(FieldsOf("8196       MVI       '  "
                       "       "
                       "+1"),
              (Fields{"MVI", "'  ", "+1"}));
}

TEST(ParseListingLine, AddressesAreTakenModulo65536)
{
    const struct {
        const char* Line;
        int Address;
    } rows[] = {
        {"0       NOP", 0x0000},      {"8192       NOP", 0x2000}, {"32767       NOP", 0x7FFF},
        {"-32768       NOP", 0x8000}, {"-1       NOP", 0xFFFF},   {"65535       NOP", 0xFFFF},
    };
    for (const auto& row : rows) {
        ListingRecord record;
        EXPECT_EQ(ParseListingLine(row.Line, record), "") << row.Line;
        EXPECT_EQ(record.Address, row.Address) << row.Line;
    }
}

TEST(TakeLine, LastLineWithoutLineFeedCounts)
{
    const std::string_view text = "a\n\nb";
    std::size_t at = 0;
    std::vector<std::string> lines;
    for (std::string_view line; TakeLine(text, at, line);) {
        lines.emplace_back(line);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "", "b"}));
}

TEST(ShowField, EscapesControlBytesAndCutsLongFields)
{
    EXPECT_EQ(ShowField("A\r\t\x01\x80"), "A\\r\\t\\x01\\x80");
    EXPECT_EQ(ShowField(std::string(61, 'x')), std::string(60, 'x') + "...");
    EXPECT_EQ(ShowField(std::string(60, 'x')), std::string(60, 'x'));
    EXPECT_EQ(ShowField(std::string(81, 'x'), 80), std::string(80, 'x') + "...");
}

} // namespace
