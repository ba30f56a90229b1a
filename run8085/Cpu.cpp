// Placeholder bodies while the interpreter is written; the interface in
// Cpu.h is what the program around the core builds against.
#include "Cpu.h"

void ResetCpu(CpuState& cpu, CpuModel model)
{
    cpu.Model = model;
    cpu.PC = 0;
    cpu.IE = false;
    cpu.EnablePending = false;
    cpu.Halted = false;
    cpu.Masks = _MaskRst55 | _MaskRst65 | _MaskRst75;
}

int StepCpu(CpuState& cpu)
{
    cpu.Halted = true;
    return 0;
}

RunEnd RunCpu(CpuState& cpu, std::uint64_t)
{
    cpu.Halted = true;
    return RunEnd::Halted;
}

std::uint8_t PswByte(const CpuState& cpu)
{
    return cpu.F;
}
