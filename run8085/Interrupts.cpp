// The interrupt logic of the core.
#include "Interrupts.h"

namespace {

constexpr std::uint16_t _TrapVector = 0x0024;
constexpr std::uint16_t _Rst75Vector = 0x003C;
constexpr std::uint16_t _Rst65Vector = 0x0034;
constexpr std::uint16_t _Rst55Vector = 0x002C;

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

// The vector of the interrupt to take now, or -1; clears the request that
// it serves (an edge, the INTR line, or a level input whose device is
// served).
int ClaimInterrupt(CpuState& cpu)
{
    const bool is8085 = cpu.Model == CpuModel::I8085;
    InterruptLines& lines = cpu.Lines;
    if (is8085 && lines.Trap) {
        lines.Trap = false;
        cpu.IeBeforeTrap = cpu.IE;
        cpu.RimShowsIeBeforeTrap = true;
        return _TrapVector;
    }
    if (!IsMaskableAllowed(cpu))
        return -1;
    if (is8085 && cpu.Rst75Latch && !(cpu.Masks & _MaskRst75)) {
        cpu.Rst75Latch = false;
        return _Rst75Vector;
    }
    if (is8085 && lines.Rst65 && !(cpu.Masks & _MaskRst65)) {
        lines.Rst65 = false;
        return _Rst65Vector;
    }
    if (is8085 && lines.Rst55 && !(cpu.Masks & _MaskRst55)) {
        lines.Rst55 = false;
        return _Rst55Vector;
    }
    if (lines.Intr >= 0) {
        const int vector = (lines.Intr & 7) * 8;
        lines.Intr = -1;
        return vector;
    }
    return -1;
}

} // namespace

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
    const InterruptLines& lines = cpu.Lines;
    if (cpu.Model == CpuModel::I8080)
        return IsMaskableAllowed(cpu) && lines.Intr >= 0;
    if (lines.Trap || lines.Rst75)
        return true;
    if (!IsMaskableAllowed(cpu))
        return false;
    return (cpu.Rst75Latch && !(cpu.Masks & _MaskRst75)) || (lines.Rst65 && !(cpu.Masks & _MaskRst65)) ||
           (lines.Rst55 && !(cpu.Masks & _MaskRst55)) || lines.Intr >= 0;
}

int TakeInterrupt(CpuState& cpu)
{
    if (cpu.Model == CpuModel::I8085 && cpu.Lines.Rst75) {
        // The latch catches the edge whatever the mask says.
        cpu.Rst75Latch = true;
        cpu.Lines.Rst75 = false;
    }
    const int vector = ClaimInterrupt(cpu);
    if (vector < 0)
        return 0;
    cpu.IE = false;
    cpu.EnablePending = false;
    cpu.Halted = false;
    cpu.SP = static_cast<std::uint16_t>(cpu.SP - 2);
    cpu.Memory[cpu.SP] = static_cast<std::uint8_t>(cpu.PC);
    cpu.Memory[static_cast<std::uint16_t>(cpu.SP + 1)] = static_cast<std::uint8_t>(cpu.PC >> 8);
    cpu.PC = static_cast<std::uint16_t>(vector);
    const int states = DescribeOpcode(cpu.Model, _OpRst0).States;
    cpu.Instructions += 1;
    cpu.States += static_cast<std::uint64_t>(states);
    return states;
}
