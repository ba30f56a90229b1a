#include "Display.h"

#include "Expression.h"
#include "Registers.h"

#include <cstdio>

namespace {

constexpr unsigned _BytesPerLine = 16;

// The instruction's bytes at address, wrapping at the top of memory.
void FetchBytes(const CpuState& cpu, std::uint16_t address, std::uint8_t bytes[3])
{
    for (int i = 0; i < 3; ++i)
        bytes[i] = cpu.Memory[static_cast<std::uint16_t>(address + i)];
}

void AddField(std::string& text, const char* name, unsigned value, int digits, bool changed)
{
    char field[24];
    std::snprintf(field, sizeof field, "%s=%0*X", name, digits, value);
    if (!text.empty())
        text += ' ';
    text += changed ? std::string("\x1b[1m") + field + "\x1b[0m" : std::string(field);
}

} // namespace

std::string FormatLocationLine(const DebugSession& session)
{
    const CpuState& cpu = session.Now.Cpu;
    const int line = FindSourceLine(session.Map, FindStopAddress(cpu));
    if (line != 0 && line <= static_cast<int>(session.Map.SourceLines.size()))
        return session.Map.SourceName + ":" + std::to_string(line) + ": " + session.Map.SourceLines[line - 1] + "\n";
    std::uint8_t bytes[3];
    FetchBytes(cpu, cpu.PC, bytes);
    char address[8];
    std::snprintf(address, sizeof address, "%04X: ", cpu.PC);
    return address + FormatInstruction(cpu.Model, bytes) + "\n";
}

std::string FormatRegisterLine(const CpuState& cpu, const CpuState* before)
{
    // The registers and the flags the two models share, in the table's
    // order; the pairs repeat the registers, and V and K are left out.
    std::string text;
    for (const RegisterInfo& row : ListRegisters()) {
        if (row.Kind == RegisterKind::Pair || row.Only8085)
            continue;
        const unsigned value = row.Read(cpu);
        AddField(text, row.Name, value, (row.Bits + 3) / 4, before && row.Read(*before) != value);
    }
    return text + "\n";
}

std::string FormatMemory(const std::uint8_t* memory, std::uint16_t address, unsigned count)
{
    std::string text;
    char field[8];
    for (unsigned line = 0; line < count; line += _BytesPerLine) {
        const unsigned size = count - line < _BytesPerLine ? count - line : _BytesPerLine;
        std::snprintf(field, sizeof field, "%04X:", static_cast<std::uint16_t>(address + line));
        text += field;
        for (unsigned i = 0; i < size; ++i) {
            std::snprintf(field, sizeof field, " %02X", memory[static_cast<std::uint16_t>(address + line + i)]);
            text += field;
        }
        text += "  |";
        for (unsigned i = 0; i < size; ++i) {
            const std::uint8_t byte = memory[static_cast<std::uint16_t>(address + line + i)];
            text += byte >= 0x20 && byte <= 0x7E ? static_cast<char>(byte) : '.';
        }
        text += "|\n";
    }
    return text;
}

std::string FormatDisassembly(const DebugSession& session, std::uint16_t address, unsigned count)
{
    const CpuState& cpu = session.Now.Cpu;
    std::string text;
    for (unsigned i = 0; i < count; ++i) {
        std::uint8_t bytes[3];
        FetchBytes(cpu, address, bytes);
        const int size = DescribeOpcode(cpu.Model, bytes[0]).Size;
        char line[64];
        std::snprintf(line, sizeof line, "%s%04X: ", address == cpu.PC ? "=> " : "   ", address);
        std::string hex;
        for (int b = 0; b < 3; ++b) {
            char digits[4];
            std::snprintf(digits, sizeof digits, b < size ? "%02X " : "   ", bytes[b]);
            hex += digits;
        }
        text += line + hex + " " + FormatInstruction(cpu.Model, bytes) + "\n";
        address = static_cast<std::uint16_t>(address + size);
    }
    return text;
}

std::string FormatSourceLines(const DebugSession& session, int first, int last)
{
    const int current = FindSourceLine(session.Map, FindStopAddress(session.Now.Cpu));
    std::string text;
    for (int line = first; line <= last; ++line) {
        char number[32];
        std::snprintf(number, sizeof number, "%s%4d  ", line == current ? "=>" : "  ", line);
        text += number + session.Map.SourceLines[line - 1] + "\n";
    }
    return text;
}
