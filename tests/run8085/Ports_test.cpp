#include "Ports.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// An in-memory console: input from a string, output collected in a buffer.
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
    std::string Written()
    {
        std::fflush(Out);
        return std::string(OutText, OutSize);
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

TEST(Ports, OutLogsEveryPortAndEchoesTheConsole)
{
    std::string input;
    Console console(input);
    RunOptions options;
    options.ConsolePort = 0x01;
    static PortState ports;
    SetUpPorts(ports, options, console.In, console.Out);
    const IoPorts io = MakeIoPorts(ports);
    io.Out(io.Context, 0x01, 'H');
    io.Out(io.Context, 0x02, 0x55);
    io.Out(io.Context, 0x01, 0x00);
    io.Out(io.Context, 0x02, 0x66);
    EXPECT_EQ(console.Written(), std::string("H\0", 2));
    EXPECT_TRUE(ports.Log.Written[0x01]);
    EXPECT_EQ(ports.Log.Last[0x01], 0x00);
    EXPECT_EQ(ports.Log.Last[0x02], 0x66);
    EXPECT_FALSE(ports.Log.Written[0x03]);
}

} // namespace
