#include "Ports.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// An in-memory console: input from a string, output into a buffer.
struct Console {
    std::FILE* In;
    std::FILE* Out;
    char* OutText = nullptr;
    std::size_t OutSize = 0;
    explicit Console(std::string& input)
        : In(fmemopen(input.data(), input.size(), "r")), Out(open_memstream(&OutText, &OutSize))
    {
    }
    ~Console()
    {
        std::fclose(In);
        std::fclose(Out);
        std::free(OutText);
    }
};

TEST(Ports, ConsoleReadsInputThenEndOfFileBytes)
{
    std::string input = "A\n";
    Console console(input);
    RunOptions options;
    options.ConsolePort = 0x10;
    options.Inputs = {{0x20, 0x99}, {0x20, 0x3F}};
    static PortState ports;
    SetUpPorts(ports, options, console.In, console.Out);
    const IoPorts io = MakeIoPorts(ports);
    const std::pair<std::uint8_t, std::uint8_t> rows[] = {
        {0x10, 'A'}, {0x10, '\n'}, {0x10, 0x1A}, {0x10, 0x1A}, {0x20, 0x3F}, {0x21, 0x00},
    };
    for (const auto& [port, value] : rows)
        EXPECT_EQ(io.In(io.Context, port), value) << int(port);
}

} // namespace
