// The 8155: ports, RAM and the timer.
#include "Chip8155.h"

namespace {

constexpr std::uint8_t _AOutput = 0x01;
constexpr std::uint8_t _BOutput = 0x02;
constexpr std::uint8_t _EnableA = 0x10;
constexpr std::uint8_t _EnableB = 0x20;

// Port C's four configurations, bits 2 and 3 of the command.
enum class PortC { Alt1Input, Alt3StrobedA, Alt4StrobedAB, Alt2Output };

PortC ModeOfPortC(const Chip8155& chip)
{
    return static_cast<PortC>((chip.Command >> 2) & 3);
}

bool IsStrobed(const Chip8155& chip, int port)
{
    const PortC c = ModeOfPortC(chip);
    return port == 0 ? (c == PortC::Alt3StrobedA || c == PortC::Alt4StrobedAB) : c == PortC::Alt4StrobedAB;
}

bool IsOutput(const Chip8155& chip, int port)
{
    return chip.Command & (port == 0 ? _AOutput : _BOutput);
}

bool Enabled(const Chip8155& chip, int port)
{
    return chip.Command & (port == 0 ? _EnableA : _EnableB);
}

std::uint8_t Bit(int n, bool on)
{
    return on ? static_cast<std::uint8_t>(1u << n) : 0;
}

// Port C's six bits as read and as driven: ALT 1 all inputs, ALT 2 all
// outputs, ALT 3 A's INTR, BF, STB in bits 0-2 and outputs in 3-5, ALT 4
// the same for B in bits 3-5.
std::uint8_t ComposePortC(const Chip8155& chip, bool forRead)
{
    switch (ModeOfPortC(chip)) {
    case PortC::Alt1Input: return forRead ? (chip.Pins[2] & 0x3F) : 0;
    case PortC::Alt2Output: return chip.Latch[2] & 0x3F;
    case PortC::Alt3StrobedA:
        return static_cast<std::uint8_t>((chip.Latch[2] & 0x38) | Bit(0, chip.Request[0]) | Bit(1, chip.BufferFull[0]) |
                                         (forRead ? (chip.Pins[2] & 0x04) : 0));
    case PortC::Alt4StrobedAB:
        return static_cast<std::uint8_t>(Bit(0, chip.Request[0]) | Bit(1, chip.BufferFull[0]) |
                                         Bit(3, chip.Request[1]) | Bit(4, chip.BufferFull[1]) |
                                         (forRead ? (chip.Pins[2] & 0x24) : 0));
    }
    return 0;
}

std::uint16_t Length14(const Chip8155& chip)
{
    return chip.Length & 0x3FFF;
}

// Starts a period of the timer's present count length and mode.
void StartPeriod(Chip8155& chip)
{
    chip.Count = Length14(chip);
    chip.Out = true;
}

// Whether the output is high with `left` counts left of a period of `length`:
// the square waves are high for the first half (the longer one when the
// length is odd) and low for the second; the pulse modes are high until the
// terminal count.
bool OutputFor(std::uint8_t mode, std::uint16_t length, std::uint16_t left)
{
    if (mode == 0 || mode == 1)
        return left > length / 2;
    return true;
}

void TerminalCount(Chip8155& chip)
{
    chip.TimerStatus = true;
    const bool continuous = chip.Mode == 1 || chip.Mode == 3;
    if (chip.Reload) {
        chip.Length = chip.LengthWritten;
        chip.Mode = chip.ModeWritten;
        chip.Reload = false;
        StartPeriod(chip);
        return;
    }
    if (chip.StopAtCount || !continuous) {
        chip.Running = false;
        chip.StopAtCount = false;
        chip.Count = Length14(chip);
        chip.Out = true;
        return;
    }
    StartPeriod(chip);
}

void TimerCommand(Chip8155& chip, int command)
{
    switch (command) {
    case 1: // STOP
        chip.Running = false;
        chip.Out = true;
        break;
    case 2: // STOP AFTER TC
        if (chip.Running)
            chip.StopAtCount = true;
        break;
    case 3: // START
        chip.TimerStatus = false;
        if (chip.Running) {
            chip.Reload = true;
        } else {
            chip.Length = chip.LengthWritten;
            chip.Mode = chip.ModeWritten;
            chip.Running = true;
            chip.StopAtCount = false;
            StartPeriod(chip);
        }
        break;
    default: break; // NOP
    }
}

} // namespace

void Reset8155(Chip8155& chip)
{
    // A reset clears the command (ports A, B, C inputs, ALT 1) and stops the
    // timer; the RAM keeps its contents.
    std::uint8_t ram[256];
    for (int i = 0; i < 256; ++i)
        ram[i] = chip.Ram[i];
    chip = Chip8155{};
    for (int i = 0; i < 256; ++i)
        chip.Ram[i] = ram[i];
}

std::uint8_t Read8155(Chip8155& chip, int offset)
{
    switch (offset & 7) {
    case 0: {
        const std::uint8_t status = static_cast<std::uint8_t>(
            Bit(0, chip.Request[0]) | Bit(1, chip.BufferFull[0]) | Bit(2, Enabled(chip, 0)) | Bit(3, chip.Request[1]) |
            Bit(4, chip.BufferFull[1]) | Bit(5, Enabled(chip, 1)) | Bit(6, chip.TimerStatus));
        chip.TimerStatus = false; // reading the status clears the timer's latch
        return status;
    }
    case 1:
    case 2: {
        const int port = (offset & 7) - 1;
        if (IsOutput(chip, port))
            return chip.Latch[port];
        if (IsStrobed(chip, port)) {
            chip.BufferFull[port] = false;
            chip.Request[port] = false;
            return chip.Strobed[port];
        }
        return chip.Pins[port];
    }
    case 3: return ComposePortC(chip, true);
    case 4: return static_cast<std::uint8_t>(chip.Count & 0xFF);
    case 5: return static_cast<std::uint8_t>(((chip.Count >> 8) & 0x3F) | (chip.Mode << 6));
    default: return 0xFF;
    }
}

void Write8155(Chip8155& chip, int offset, std::uint8_t value)
{
    switch (offset & 7) {
    case 0:
        chip.Command = value;
        TimerCommand(chip, value >> 6);
        break;
    case 1:
    case 2: {
        const int port = (offset & 7) - 1;
        chip.Latch[port] = value;
        if (IsStrobed(chip, port) && IsOutput(chip, port)) {
            chip.BufferFull[port] = true;
            chip.Request[port] = false;
        }
        break;
    }
    case 3: chip.Latch[2] = value & 0x3F; break;
    case 4: chip.LengthWritten = static_cast<std::uint16_t>((chip.LengthWritten & 0x3F00) | value); break;
    case 5:
        chip.LengthWritten = static_cast<std::uint16_t>((chip.LengthWritten & 0x00FF) | ((value & 0x3F) << 8));
        chip.ModeWritten = value >> 6;
        break;
    default: break;
    }
}

void Clock8155(Chip8155& chip, std::uint64_t pulses)
{
    while (pulses > 0 && (chip.Running || !chip.Out)) {
        --pulses;
        if (!chip.Running) {
            chip.Out = true; // the end of the last pulse after the timer stopped
            continue;
        }
        if (chip.Count > 1) {
            --chip.Count;
            chip.Out = OutputFor(chip.Mode, Length14(chip), chip.Count);
            continue;
        }
        // The terminal count: the pulse modes put out one low pulse.
        chip.Count = 0;
        const std::uint8_t mode = chip.Mode;
        TerminalCount(chip);
        if (mode == 2 || mode == 3)
            chip.Out = false;
    }
}

std::uint8_t ReadOutputPins8155(const Chip8155& chip, int port)
{
    if (port == 2)
        return ComposePortC(chip, false);
    return IsOutput(chip, port) ? chip.Latch[port] : 0;
}

void Strobe8155(Chip8155& chip, int port, std::uint8_t value)
{
    chip.Pins[port] = value;
    if (port == 2 || !IsStrobed(chip, port))
        return;
    if (IsOutput(chip, port)) {
        chip.BufferFull[port] = false;
    } else {
        chip.Strobed[port] = value;
        chip.BufferFull[port] = true;
    }
    chip.Request[port] = Enabled(chip, port);
}
