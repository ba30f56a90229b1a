#include "KitFiles.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<PlacedBytes> Place(const char* machineCode)
{
    auto placed = std::make_unique<PlacedBytes>();
    std::string error;
    EXPECT_TRUE(ReadPlacedBytes(machineCode, *placed, error)) << error;
    return placed;
}

// Records checked by hand: count, address, type 00, data, and the checksum
// that makes the sum of all the record's bytes 0 modulo 256.
TEST(FormatIntelHex, RecordsSplitAtGapsAndAtEvery16ByteBoundary)
{
    const struct {
        const char* MachineCode;
        const char* IntelHex;
    } rows[] = {
        {"", ":00000001FF\n"},
        {"2000 3E 05 76\n", ":032000003E057624\n:00000001FF\n"},
        {"200E 01 02 03\n", ":02200E000102CD\n:0120100003CC\n:00000001FF\n"},
        {"2000 76\n2002 76\n", ":012000007669\n:012002007667\n:00000001FF\n"},
        {"2000 00\n2000 76\n", ":012000007669\n:00000001FF\n"},
        {"FFFF AA BB\n", ":01000000BB44\n:01FFFF00AA57\n:00000001FF\n"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FormatIntelHex(*Place(row.MachineCode)), row.IntelHex) << row.MachineCode;
    }
}

TEST(FormatBinary, PlacedRangeWithZerosInItsGaps)
{
    const auto placed = Place("2001 11\n2004 22 33\n");
    const PlacedRange range = FindPlacedRange(*placed);
    EXPECT_EQ(range.First, 0x2001);
    EXPECT_EQ(range.Size, 5u);
    EXPECT_EQ(FormatBinary(*placed, range), std::string("\x11\0\0\x22\x33", 5));
    EXPECT_EQ(FindPlacedRange(*Place("")).Size, 0u);
}

TEST(ReadPlacedBytes, RefusesLinesOfAnotherForm)
{
    PlacedBytes placed;
    std::string error;
    EXPECT_FALSE(ReadPlacedBytes("2000 76\nHLT\n", placed, error));
    EXPECT_EQ(error, "line 2 has no load address");
    EXPECT_FALSE(ReadPlacedBytes("2000 176\n", placed, error));
}

} // namespace
