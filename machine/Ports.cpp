#include "Ports.h"

namespace {

std::uint8_t ReadConsole(void* context, std::uint8_t)
{
    PortState& ports = *static_cast<PortState*>(context);
    // A prompt the program wrote must be out before it waits for the answer.
    if (ports.ConsoleOut)
        std::fflush(ports.ConsoleOut);
    const int c = ports.ConsoleIn ? std::fgetc(ports.ConsoleIn) : EOF;
    return c == EOF ? _ConsoleEndOfInput : static_cast<std::uint8_t>(c);
}

void WriteConsole(void* context, std::uint8_t, std::uint8_t value)
{
    PortState& ports = *static_cast<PortState*>(context);
    if (ports.ConsoleOut)
        std::fputc(value, ports.ConsoleOut);
}

std::uint8_t ReadPort(void* context, std::uint8_t port)
{
    PortState& ports = *static_cast<PortState*>(context);
    return ReadPortThrough(ports.Devices, ports.Inputs, port);
}

void WritePort(void* context, std::uint8_t port, std::uint8_t value)
{
    PortState& ports = *static_cast<PortState*>(context);
    WritePortThrough(ports.Devices, ports.Log, port, value);
}

} // namespace

void PlugPortDevice(PortDevices& devices, std::uint8_t first, std::uint8_t last, const PortDevice& device)
{
    for (unsigned port = first; port <= last; ++port)
        devices.At[port] = device;
}

std::uint8_t ReadPortThrough(const PortDevices& devices, const std::uint8_t inputs[256], std::uint8_t port)
{
    const PortDevice& device = devices.At[port];
    return device.In ? device.In(device.Context, port) : inputs[port];
}

void WritePortThrough(const PortDevices& devices, PortLog& log, std::uint8_t port, std::uint8_t value)
{
    log.Written[port] = true;
    log.Last[port] = value;
    const PortDevice& device = devices.At[port];
    if (device.Out)
        device.Out(device.Context, port, value);
}

void SetUpPorts(PortState& ports, const MachineOptions& options, std::FILE* consoleIn, std::FILE* consoleOut)
{
    for (const PortInput& input : options.Inputs)
        ports.Inputs[input.Port] = input.Value;
    ports.ConsolePort = options.ConsolePort;
    ports.ConsoleIn = consoleIn;
    ports.ConsoleOut = consoleOut;
    if (options.ConsolePort >= 0) {
        const auto port = static_cast<std::uint8_t>(options.ConsolePort);
        PlugPortDevice(ports.Devices, port, port, {ReadConsole, WriteConsole, &ports});
    }
}

IoPorts MakeIoPorts(PortState& ports)
{
    IoPorts io;
    io.In = ReadPort;
    io.Out = WritePort;
    io.Context = &ports;
    return io;
}
