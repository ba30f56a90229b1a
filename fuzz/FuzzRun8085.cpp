// Fuzz target: running any image for a bounded number of steps. The input
// gives the model, the registers, the interrupt state and lines, and the
// bytes that memory holds from PC on; the core runs it (under the CP/M
// console when the input says so), raising the lines half-way. Whatever the
// bytes, the run must stay inside the core's memory, stop at the step limit
// and leave the flag register with the bits its model has.

#include "Cpm.h"
#include "Cpu.h"
#include "FuzzInput.h"

#include <cstring>

namespace {

constexpr std::uint64_t _StepLimit = 20000;
constexpr std::size_t _HeaderSize = 16;

std::uint8_t ReadByteAt(const std::uint8_t* data, std::size_t size, std::size_t index)
{
    return index < size ? data[index] : 0;
}

// The state from the header: byte 0 holds the model (bit 0), IE (bit 1),
// the CP/M console (bit 2) and the masks (bits 3-5); bytes 1-4 PC and SP;
// 5-12 A B C D E H L F; 13 the lines to raise; 14 the RST number on INTR.
void SetUp(CpuState& cpu, const std::uint8_t* data, std::size_t size)
{
    const std::uint8_t options = ReadByteAt(data, size, 0);
    const CpuModel model = (options & 1) ? CpuModel::I8085 : CpuModel::I8080;
    std::memset(cpu.Memory, 0, sizeof cpu.Memory);
    ResetCpu(cpu, model);
    cpu.PC = static_cast<std::uint16_t>(ReadByteAt(data, size, 1) | (ReadByteAt(data, size, 2) << 8));
    std::uint16_t address = cpu.PC;
    for (std::size_t i = _HeaderSize; i < size && i - _HeaderSize < sizeof cpu.Memory; ++i)
        cpu.Memory[address++] = data[i];
    if (options & 4) {
        SetUpCpm(cpu);
        cpu.PC = 0x0100;
    }
    cpu.SP = static_cast<std::uint16_t>(ReadByteAt(data, size, 3) | (ReadByteAt(data, size, 4) << 8));
    std::uint8_t* registers[] = {&cpu.A, &cpu.B, &cpu.C, &cpu.D, &cpu.E, &cpu.H, &cpu.L, &cpu.F};
    for (std::size_t i = 0; i < 8; ++i)
        *registers[i] = ReadByteAt(data, size, 5 + i);
    cpu.F &= model == CpuModel::I8085 ? 0xF7 : 0xD5;
    cpu.IE = (options & 2) != 0;
    cpu.Masks = (options >> 3) & 7;
}

void RaiseLines(CpuState& cpu, std::uint8_t lines, std::uint8_t rst)
{
    cpu.Lines.Trap = (lines & 1) != 0;
    cpu.Lines.Rst75 = (lines & 2) != 0;
    cpu.Lines.Rst65 = (lines & 4) != 0;
    cpu.Lines.Rst55 = (lines & 8) != 0;
    cpu.Lines.Sid = (lines & 16) != 0;
    cpu.Lines.Intr = (lines & 32) ? (rst & 7) : -1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static CpuState cpu;
    SetUp(cpu, data, size);
    const bool cpm = (ReadByteAt(data, size, 0) & 4) != 0;
    CpmConsole console; // discards what is printed

    // Half the steps in RunCpu, then the lines, then the rest one step at a
    // time as a trace would take them.
    RunCpu(cpu, _StepLimit / 2);
    RaiseLines(cpu, ReadByteAt(data, size, 13), ReadByteAt(data, size, 14));
    while (cpu.Instructions < _StepLimit) {
        const int states = StepCpu(cpu);
        if (cpu.Halted && cpm && ServeCpm(cpu, console) == CpmEvent::BdosCall)
            continue;
        if (states == 0 || (cpm && cpu.Halted))
            break;
    }

    Check(cpu.Instructions <= _StepLimit);
    Check((PswByte(cpu) & 0x08) == 0);
    if (cpu.Model == CpuModel::I8080) {
        Check((cpu.F & (_FlagK | _FlagV | 0x08)) == 0);
        Check((PswByte(cpu) & 0x02) != 0);
    }
    return 0;
}
