#include "DefaultRegisters.h"

#include <gtest/gtest.h>

namespace {

TEST(FirstListingAddress, FirstRecordModulo65536)
{
    const struct {
        const char* Listing;
        std::optional<std::uint16_t> Expected;
    } rows[] = {
        {"8192       MVI       B       5\n8194       HLT\n", 0x2000},
        {"0       NOP\n", 0x0000},
        {"-1       NOP\n", 0xFFFF},
        {"-32768       DB       1\n", 0x8000},
        {"32767       NOP\n", 0x7FFF},
        {"", std::nullopt},
        {"\n", std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FirstListingAddress(row.Listing), row.Expected) << row.Listing;
    }
}

TEST(MakeDefaultRegisterFile, ZeroStateWithTheProgramCounter)
{
    EXPECT_EQ(MakeDefaultRegisterFile(0x2000), "0 0 0 0 0 0 0\n8192 0\n0 0 0 0 0\n0\n");
    EXPECT_EQ(MakeDefaultRegisterFile(0x8000), "0 0 0 0 0 0 0\n-32768 0\n0 0 0 0 0\n0\n");
    EXPECT_EQ(MakeDefaultRegisterFile(0xFFFF), "0 0 0 0 0 0 0\n-1 0\n0 0 0 0 0\n0\n");
}

} // namespace
