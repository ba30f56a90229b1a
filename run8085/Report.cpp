#include "Report.h"

#include "ImageState.h"
#include "Registers.h"

#include <cstdio>

namespace {

constexpr unsigned _DumpBytesPerLine = 16;

const char* StopName(StopReason stop)
{
    switch (stop) {
    case StopReason::Halt: return "halt";
    case StopReason::CpmExit: return "cpm-exit";
    case StopReason::StepLimit: return "step-limit";
    case StopReason::LeftProgram: return "left-program";
    // A whole run never stops for these; only the debugger's stretches do.
    case StopReason::Reached: return "reached";
    case StopReason::Break: return "break";
    case StopReason::Interrupted: return "interrupted";
    }
    return "halt";
}

void AddLine(std::string& text, const char* name, const char* format, unsigned long long value)
{
    char line[64];
    std::snprintf(line, sizeof line, "%s: ", name);
    text += line;
    std::snprintf(line, sizeof line, format, value);
    text += line;
    text += '\n';
}

void AddHex8(std::string& text, const char* name, unsigned value)
{
    AddLine(text, name, "%02llX", value);
}

void AddHex16(std::string& text, const char* name, unsigned value)
{
    AddLine(text, name, "%04llX", value);
}

void AddBit(std::string& text, const char* name, bool value)
{
    AddLine(text, name, "%llu", value ? 1 : 0);
}

} // namespace

std::string FormatDump(const std::uint8_t* memory, DumpRange range)
{
    std::string text;
    char field[8];
    for (unsigned line = range.From; line <= range.To; line += _DumpBytesPerLine) {
        const unsigned end = line + _DumpBytesPerLine - 1 < range.To ? line + _DumpBytesPerLine - 1 : range.To;
        std::snprintf(field, sizeof field, "%04X:", line);
        text += "dump ";
        text += field;
        for (unsigned address = line; address <= end; ++address) {
            std::snprintf(field, sizeof field, " %02X", memory[address]);
            text += field;
        }
        text += "  |";
        for (unsigned address = line; address <= end; ++address) {
            const std::uint8_t byte = memory[address];
            text += byte >= 0x20 && byte <= 0x7E ? static_cast<char>(byte) : '.';
        }
        text += "|\n";
    }
    return text;
}

std::string FormatReport(const CpuState& cpu, StopReason stop, const PortLog& ports,
                         const std::vector<DumpRange>& dumps)
{
    const bool is8085 = cpu.Model == CpuModel::I8085;
    std::string text = "stop: ";
    text += StopName(stop);
    text += '\n';
    AddLine(text, "instructions", "%llu", cpu.Instructions);
    AddLine(text, "t-states", "%llu", cpu.States);
    // The registers and the flags of the model, in the table's order; the
    // pairs repeat the registers. PSW is then the flag byte alone, as PUSH
    // PSW pushes it.
    for (const RegisterInfo& row : ListRegisters()) {
        if (row.Kind == RegisterKind::Pair || !HasRegister(row, cpu.Model))
            continue;
        const unsigned value = row.Read(cpu);
        if (row.Bits == 16)
            AddHex16(text, row.Name, value);
        else if (row.Bits == 8)
            AddHex8(text, row.Name, value);
        else
            AddBit(text, row.Name, value != 0);
    }
    AddHex8(text, "PSW", PswByte(cpu));
    AddBit(text, "IE", IsInterruptEnabled(cpu));
    if (is8085) {
        AddBit(text, "M5.5", cpu.Masks & _MaskRst55);
        AddBit(text, "M6.5", cpu.Masks & _MaskRst65);
        AddBit(text, "M7.5", cpu.Masks & _MaskRst75);
        AddBit(text, "I7.5", cpu.Rst75Latch);
        AddBit(text, "SOD", cpu.Sod);
    }
    for (unsigned port = 0; port < 256; ++port) {
        if (!ports.Written[port])
            continue;
        char line[32];
        std::snprintf(line, sizeof line, "out %02X: %02X\n", port, ports.Last[port]);
        text += line;
    }
    for (const DumpRange& range : dumps)
        text += FormatDump(cpu.Memory, range);
    return text;
}
