// The processor core, one row per rule: what the CP/M test programs do not
// reach (the 8085's own instructions and flags, interrupts, HLT, I/O) and
// the flag cases that users of simulators most often find wrong. Expected
// values are written out by hand.
#include "Cpu.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr std::uint16_t _Origin = 0x0100;
constexpr std::uint16_t _StackTop = 0xF000;

// A processor of the model with the program at 0100H, PC there and SP at
// F000H, everything else zero.
std::unique_ptr<CpuState> MakeCpu(CpuModel model, const std::vector<std::uint8_t>& program)
{
    auto cpu = std::make_unique<CpuState>();
    ResetCpu(*cpu, model);
    for (std::size_t i = 0; i < program.size(); ++i)
        cpu->Memory[_Origin + i] = program[i];
    cpu->PC = _Origin;
    cpu->SP = _StackTop;
    return cpu;
}

TEST(RunCpu, StopsAtHlt)
{
    auto cpu = MakeCpu(CpuModel::I8085, {0x3E, 0x0A, 0x76}); // MVI A, 0AH; HLT
    EXPECT_EQ(RunCpu(*cpu, 0), RunEnd::Halted);
    EXPECT_EQ(cpu->A, 0x0A);
    EXPECT_EQ(cpu->PC, 0x0103);
    EXPECT_EQ(cpu->Instructions, 2u);
    EXPECT_EQ(cpu->States, 12u);
}

} // namespace
