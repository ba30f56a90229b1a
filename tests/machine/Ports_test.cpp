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

namespace {

// A device answers only at the ports it is plugged in at; a later one takes
// a port over; OUT is logged at every port, device or not.
struct Recorder {
    std::string Seen;
};

std::uint8_t RecorderIn(void* context, std::uint8_t port)
{
    static_cast<Recorder*>(context)->Seen += "in " + std::to_string(port) + ";";
    return static_cast<std::uint8_t>(0xA0 + port);
}

void RecorderOut(void* context, std::uint8_t port, std::uint8_t value)
{
    static_cast<Recorder*>(context)->Seen += "out " + std::to_string(port) + "=" + std::to_string(value) + ";";
}

TEST(PortDevices, AnswerOnlyAtTheirPorts)
{
    Recorder first, second;
    static PortDevices devices;
    PlugPortDevice(devices, 0x04, 0x07, {RecorderIn, RecorderOut, &first});
    PlugPortDevice(devices, 0x07, 0x07, {RecorderIn, nullptr, &second});
    std::uint8_t inputs[256] = {};
    inputs[0x08] = 0x55;
    static PortLog log;
    EXPECT_EQ(ReadPortThrough(devices, inputs, 0x04), 0xA4);
    EXPECT_EQ(ReadPortThrough(devices, inputs, 0x07), 0xA7);
    EXPECT_EQ(ReadPortThrough(devices, inputs, 0x08), 0x55);
    EXPECT_EQ(ReadPortThrough(devices, inputs, 0x03), 0x00);
    WritePortThrough(devices, log, 0x05, 9);
    WritePortThrough(devices, log, 0x07, 1); // the second device writes nothing
    WritePortThrough(devices, log, 0x09, 2);
    EXPECT_EQ(first.Seen, "in 4;out 5=9;");
    EXPECT_EQ(second.Seen, "in 7;");
    for (const std::uint8_t port : {0x05, 0x07, 0x09})
        EXPECT_TRUE(log.Written[port]) << int(port);
    EXPECT_FALSE(log.Written[0x04]);
    EXPECT_EQ(log.Last[0x09], 2);
}

} // namespace
