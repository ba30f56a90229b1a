// The I/O ports of a run: the console port, the values --input gives to IN,
// and the last value OUT wrote to each port, for the report.
#pragma once

#include "Cpu.h"
#include "MachineOptions.h"

#include <cstdint>
#include <cstdio>

// Byte that IN from the console port reads once standard input has ended.
constexpr std::uint8_t _ConsoleEndOfInput = 0x1A;

// What OUT wrote: the last value of each port that it wrote at all.
struct PortLog {
    bool Written[256] = {};
    std::uint8_t Last[256] = {};
};

struct PortState {
    PortLog Log;
    std::uint8_t Inputs[256] = {}; // what IN reads from ports other than the console
    int ConsolePort = -1;          // -1: none
    std::FILE* ConsoleIn = nullptr;
    std::FILE* ConsoleOut = nullptr;
};

// Sets up the ports from the options; the console uses the given streams.
void SetUpPorts(PortState& ports, const MachineOptions& options, std::FILE* consoleIn, std::FILE* consoleOut);

// The processor's view of the ports; they stay bound to ports.
IoPorts MakeIoPorts(PortState& ports);
