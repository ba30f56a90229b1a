#include "Ports.h"

namespace {

std::uint8_t ReadPort(void* context, std::uint8_t port)
{
    PortState& ports = *static_cast<PortState*>(context);
    if (port != ports.ConsolePort)
        return ports.Inputs[port];
    // A prompt the program wrote must be out before it waits for the answer.
    if (ports.ConsoleOut)
        std::fflush(ports.ConsoleOut);
    const int c = ports.ConsoleIn ? std::fgetc(ports.ConsoleIn) : EOF;
    return c == EOF ? _ConsoleEndOfInput : static_cast<std::uint8_t>(c);
}

void WritePort(void* context, std::uint8_t port, std::uint8_t value)
{
    PortState& ports = *static_cast<PortState*>(context);
    ports.Log.Written[port] = true;
    ports.Log.Last[port] = value;
    if (port == ports.ConsolePort && ports.ConsoleOut)
        std::fputc(value, ports.ConsoleOut);
}

} // namespace

void SetUpPorts(PortState& ports, const MachineOptions& options, std::FILE* consoleIn, std::FILE* consoleOut)
{
    for (const PortInput& input : options.Inputs)
        ports.Inputs[input.Port] = input.Value;
    ports.ConsolePort = options.ConsolePort;
    ports.ConsoleIn = consoleIn;
    ports.ConsoleOut = consoleOut;
}

IoPorts MakeIoPorts(PortState& ports)
{
    IoPorts io;
    io.In = ReadPort;
    io.Out = WritePort;
    io.Context = &ports;
    return io;
}
