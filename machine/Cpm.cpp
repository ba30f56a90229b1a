// The CP/M console: page zero, the BDOS trap and the two console functions.
#include "Cpm.h"

namespace {

constexpr std::uint8_t _OpHlt = 0x76;
constexpr std::uint8_t _OpJmp = 0xC3;
constexpr std::uint8_t _OpRet = 0xC9;

constexpr std::uint8_t _BdosPrintCharacter = 2;
constexpr std::uint8_t _BdosPrintString = 9;

void Print(const CpmConsole& console, std::uint8_t byte)
{
    if (console.Print)
        console.Print(console.Context, byte);
}

// Takes the trap's HLT back out of the counts: it is not the program's.
void UncountHlt(CpuState& cpu)
{
    cpu.Instructions -= 1;
    cpu.States -= DescribeOpcode(cpu.Model, _OpHlt).States;
}

void WriteJump(CpuState& cpu, std::uint16_t at, std::uint16_t target)
{
    cpu.Memory[at] = _OpJmp;
    cpu.Memory[at + 1] = target & 0xFF;
    cpu.Memory[at + 2] = target >> 8;
}

} // namespace

void SetUpCpm(CpuState& cpu)
{
    WriteJump(cpu, _CpmWarmBoot, _CpmWarmBootTrap);
    WriteJump(cpu, _CpmBdosCall, _CpmBdosEntry);
    cpu.Memory[_CpmWarmBootTrap] = _OpHlt;
    cpu.Memory[_CpmBdosEntry] = _OpHlt;
    cpu.Memory[_CpmBdosEntry + 1] = _OpRet;
    cpu.SP = _CpmBdosEntry - 2;
    cpu.Memory[cpu.SP] = _CpmWarmBoot & 0xFF;
    cpu.Memory[cpu.SP + 1] = _CpmWarmBoot >> 8;
}

CpmEvent ServeCpm(CpuState& cpu, const CpmConsole& console)
{
    if (!cpu.Halted)
        return CpmEvent::NotCpm;
    // The 8085 and the 8080 both leave PC past the HLT.
    const std::uint16_t at = static_cast<std::uint16_t>(cpu.PC - 1);
    if (at == _CpmWarmBootTrap) {
        UncountHlt(cpu);
        cpu.PC = _CpmWarmBoot;
        return CpmEvent::Exit;
    }
    if (at != _CpmBdosEntry)
        return CpmEvent::NotCpm;
    UncountHlt(cpu);
    cpu.Halted = false;
    switch (cpu.C) {
    case _BdosPrintCharacter: Print(console, cpu.E); break;
    case _BdosPrintString: {
        // A string without '$' stops after going once round memory.
        std::uint16_t address = static_cast<std::uint16_t>((cpu.D << 8) | cpu.E);
        for (int count = 0; count < 65536 && cpu.Memory[address] != '$'; ++count, ++address)
            Print(console, cpu.Memory[address]);
        break;
    }
    default:
        if (console.Warn) {
            const std::uint16_t returnAddress = static_cast<std::uint16_t>(
                cpu.Memory[cpu.SP] | (cpu.Memory[static_cast<std::uint16_t>(cpu.SP + 1)] << 8));
            console.Warn(console.Context, cpu.C, returnAddress);
        }
        break;
    }
    return CpmEvent::BdosCall;
}

bool IsCpmTrap(std::uint16_t address)
{
    return address == _CpmWarmBootTrap || address == _CpmBdosEntry;
}
