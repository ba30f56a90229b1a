// The I/O ports of a run: a table of devices by port (the console today,
// a trainer kit's chips next), the values --input gives to IN at ports no
// device answers, and the last value OUT wrote to each port, for the
// report. IN and OUT leave the processor's loop through IoPorts, so a run
// pays for a device only at the ports it answers.
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

// A device on the ports: what IN and OUT do at the ports it is plugged in at.
struct PortDevice {
    std::uint8_t (*In)(void* context, std::uint8_t port) = nullptr;              // null: IN reads the --input value
    void (*Out)(void* context, std::uint8_t port, std::uint8_t value) = nullptr; // null: OUT is only logged
    void* Context = nullptr;
};

// The devices by port; a port with none reads its --input value (00H
// without one), and OUT to it is only logged.
struct PortDevices {
    PortDevice At[256] = {};
};

// Plugs device in at the ports first to last, both included; a later
// device takes a port over from an earlier one.
void PlugPortDevice(PortDevices& devices, std::uint8_t first, std::uint8_t last, const PortDevice& device);

// IN and OUT through the table: every front end's ports route this way.
std::uint8_t ReadPortThrough(const PortDevices& devices, const std::uint8_t inputs[256], std::uint8_t port);
void WritePortThrough(const PortDevices& devices, PortLog& log, std::uint8_t port, std::uint8_t value);

struct PortState {
    PortLog Log;
    std::uint8_t Inputs[256] = {}; // what IN reads from ports no device answers
    PortDevices Devices;
    int ConsolePort = -1; // -1: none
    std::FILE* ConsoleIn = nullptr;
    std::FILE* ConsoleOut = nullptr;
};

// Sets up the ports from the options: the --input values, and the console
// (on the given streams) plugged in at its port.
void SetUpPorts(PortState& ports, const MachineOptions& options, std::FILE* consoleIn, std::FILE* consoleOut);

// The processor's view of the ports; they stay bound to ports.
IoPorts MakeIoPorts(PortState& ports);
