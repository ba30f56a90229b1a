// The interrupt logic of the core.
#include "Interrupts.h"

#include "Cpu.h"

namespace {

constexpr std::uint8_t _RimSid = 0x80;
constexpr std::uint8_t _RimPending75 = 0x40;
constexpr std::uint8_t _RimPending65 = 0x20;
constexpr std::uint8_t _RimPending55 = 0x10;
constexpr std::uint8_t _RimEnabled = 0x08;

constexpr std::uint8_t _SimSodEnable = 0x40;
constexpr std::uint8_t _SimReset75 = 0x10;
constexpr std::uint8_t _SimMaskEnable = 0x08;

constexpr std::uint8_t _OpRst0 = 0xC7;

bool IsMaskableAllowed(const CpuState& cpu)
{
    return cpu.IE && !cpu.EnablePending;
}

// Whether a source asks for service: its line, or for RST 7.5 its latch.
bool IsRequesting(const CpuState& cpu, InterruptSource source)
{
    const InterruptLines& lines = cpu.Lines;
    switch (source) {
    case InterruptSource::Trap: return lines.Trap;
    case InterruptSource::Rst75: return cpu.Rst75Latch;
    case InterruptSource::Rst65: return lines.Rst65;
    case InterruptSource::Rst55: return lines.Rst55;
    case InterruptSource::Intr: return lines.Intr >= 0;
    }
    return false;
}

// Clears the request a source made once it is served (an edge, the INTR
// line, or a level input whose device is served).
void ClearRequest(CpuState& cpu, InterruptSource source)
{
    InterruptLines& lines = cpu.Lines;
    switch (source) {
    case InterruptSource::Trap: lines.Trap = false; break;
    case InterruptSource::Rst75: cpu.Rst75Latch = false; break;
    case InterruptSource::Rst65: lines.Rst65 = false; break;
    case InterruptSource::Rst55: lines.Rst55 = false; break;
    case InterruptSource::Intr: lines.Intr = -1; break;
    }
}

bool CanTake(const CpuState& cpu, const InterruptSourceInfo& info)
{
    if (info.Only8085 && cpu.Model != CpuModel::I8085)
        return false;
    if (info.Maskable && !IsMaskableAllowed(cpu))
        return false;
    return !(cpu.Masks & info.MaskBit) && IsRequesting(cpu, info.Source);
}

// The source to take now, by priority, or null.
const InterruptSourceInfo* FindInterruptToTake(const CpuState& cpu)
{
    for (const InterruptSourceInfo& info : _InterruptSources) {
        if (CanTake(cpu, info))
            return &info;
    }
    return nullptr;
}

} // namespace

const InterruptSourceInfo& DescribeInterruptSource(InterruptSource source)
{
    for (const InterruptSourceInfo& info : _InterruptSources) {
        if (info.Source == source)
            return info;
    }
    return _InterruptSources[0];
}

void RaiseInterruptLine(InterruptLines& lines, InterruptSource source, std::uint8_t rstNumber)
{
    switch (source) {
    case InterruptSource::Trap: lines.Trap = true; break;
    case InterruptSource::Rst75: lines.Rst75 = true; break;
    case InterruptSource::Rst65: lines.Rst65 = true; break;
    case InterruptSource::Rst55: lines.Rst55 = true; break;
    case InterruptSource::Intr: lines.Intr = rstNumber & 7; break;
    }
}

std::uint8_t ReadInterruptMasks(CpuState& cpu)
{
    const bool enabled = cpu.RimShowsIeBeforeTrap ? cpu.IeBeforeTrap : cpu.IE;
    cpu.RimShowsIeBeforeTrap = false;
    return static_cast<std::uint8_t>((cpu.Lines.Sid ? _RimSid : 0) | (cpu.Rst75Latch ? _RimPending75 : 0) |
                                     (cpu.Lines.Rst65 ? _RimPending65 : 0) | (cpu.Lines.Rst55 ? _RimPending55 : 0) |
                                     (enabled ? _RimEnabled : 0) | (cpu.Masks & 0x07));
}

void SetInterruptMasks(CpuState& cpu, std::uint8_t value)
{
    if (value & _SimMaskEnable)
        cpu.Masks = value & 0x07;
    if (value & _SimReset75)
        cpu.Rst75Latch = false;
    if (value & _SimSodEnable)
        cpu.Sod = (value & 0x80) != 0;
}

void EnableInterrupts(CpuState& cpu)
{
    cpu.IE = true;
    cpu.EnablePending = true;
    cpu.RimShowsIeBeforeTrap = false;
}

void DisableInterrupts(CpuState& cpu)
{
    cpu.IE = false;
    cpu.EnablePending = false;
    cpu.RimShowsIeBeforeTrap = false;
}

bool IsInterruptWaiting(const CpuState& cpu)
{
    if (cpu.Model == CpuModel::I8085 && cpu.Lines.Rst75)
        return true;
    return FindInterruptToTake(cpu) != nullptr;
}

int TakeInterrupt(CpuState& cpu)
{
    if (cpu.Model == CpuModel::I8085 && cpu.Lines.Rst75) {
        // The latch catches the edge whatever the mask says.
        cpu.Rst75Latch = true;
        cpu.Lines.Rst75 = false;
    }
    const InterruptSourceInfo* info = FindInterruptToTake(cpu);
    if (!info)
        return 0;
    const std::uint16_t vector =
        info->Source == InterruptSource::Intr ? static_cast<std::uint16_t>((cpu.Lines.Intr & 7) * 8) : info->Vector;
    if (info->Source == InterruptSource::Trap) {
        cpu.IeBeforeTrap = cpu.IE;
        cpu.RimShowsIeBeforeTrap = true;
    }
    ClearRequest(cpu, info->Source);
    cpu.IE = false;
    cpu.EnablePending = false;
    cpu.Halted = false;
    cpu.SP = static_cast<std::uint16_t>(cpu.SP - 2);
    cpu.Memory[cpu.SP] = static_cast<std::uint8_t>(cpu.PC);
    cpu.Memory[static_cast<std::uint16_t>(cpu.SP + 1)] = static_cast<std::uint8_t>(cpu.PC >> 8);
    cpu.PC = vector;
    const int states = DescribeOpcode(cpu.Model, _OpRst0).States;
    cpu.Instructions += 1;
    cpu.States += static_cast<std::uint64_t>(states);
    cpu.LastInterrupt = {info->Source, vector, cpu.Instructions};
    return states;
}
