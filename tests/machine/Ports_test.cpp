#include "Ports.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// The golden cases show OUT to the console and the end of an empty input;
// here the console reads real input first.
TEST(Ports, ConsoleReadsInputThenEndOfFileBytes)
{
    std::string input = "A\n";
    std::FILE* in = fmemopen(input.data(), input.size(), "r");
    MachineOptions options;
    options.ConsolePort = 0x10;
    options.Inputs = {{0x20, 0x99}, {0x20, 0x3F}};
    static PortState ports;
    SetUpPorts(ports, options, in, nullptr);
    const IoPorts io = MakeIoPorts(ports);
    const std::pair<std::uint8_t, std::uint8_t> rows[] = {
        {0x10, 'A'}, {0x10, '\n'}, {0x10, 0x1A}, {0x10, 0x1A}, {0x20, 0x3F}, {0x21, 0x00},
    };
    for (const auto& [port, value] : rows)
        EXPECT_EQ(io.In(io.Context, port), value) << int(port);
    std::fclose(in);
}

} // namespace
