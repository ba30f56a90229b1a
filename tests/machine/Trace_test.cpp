#include "Trace.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatTraceLine, Layout)
{
    static CpuState cpu;
    cpu.Model = CpuModel::I8085;
    cpu.A = 0x0A;
    cpu.B = 0x01;
    cpu.C = 0x02;
    cpu.D = 0x03;
    cpu.E = 0x04;
    cpu.H = 0x20;
    cpu.L = 0x40;
    cpu.SP = 0xFFFE;
    cpu.F = 0x80 | 0x40 | 0x10 | 0x04 | 0x01 | 0x20 | 0x02; // K and V are not shown
    const char* const registers = "A=0A B=01 C=02 D=03 E=04 H=20 L=40 SP=FFFE S=1 Z=1 AC=1 P=1 CY=1\n";
    struct Row {
        std::uint64_t Step;
        std::uint16_t Address;
        std::uint8_t Bytes[3];
        const char* Start;
    } rows[] = {
        {1, 0x2000, {0x3E, 0x0A, 0x99}, "1 2000: 3E 0A     MVI A, 0AH      "},
        {12, 0x0005, {0x31, 0xFF, 0xFF}, "12 0005: 31 FF FF  LXI SP, 0FFFFH  "},
        {3000000000ULL, 0xFFFF, {0x76, 0x00, 0x00}, "3000000000 FFFF: 76        HLT             "},
        {7, 0x0100, {0xFF, 0x00, 0x00}, "7 0100: FF        RST 7           "},
    };
    for (const Row& row : rows)
        EXPECT_EQ(FormatTraceLine(row.Step, row.Address, row.Bytes, cpu), std::string(row.Start) + registers);
}

TEST(FormatInterruptLine, NamesTheSource)
{
    static CpuState cpu;
    cpu.Model = CpuModel::I8085;
    cpu.SP = 0x2FFE;
    const char* const registers = "A=00 B=00 C=00 D=00 E=00 H=00 L=00 SP=2FFE S=0 Z=0 AC=0 P=0 CY=0\n";
    const std::pair<TakenInterrupt, const char*> rows[] = {
        {{InterruptSource::Trap, 0x0024, 6}, "6 2008:           INT TRAP        "},
        {{InterruptSource::Rst55, 0x002C, 6}, "6 2008:           INT RST 5.5     "},
        {{InterruptSource::Rst65, 0x0034, 6}, "6 2008:           INT RST 6.5     "},
        {{InterruptSource::Rst75, 0x003C, 6}, "6 2008:           INT RST 7.5     "},
        {{InterruptSource::Intr, 0x0018, 6}, "6 2008: DF        INT RST 3       "},
        {{InterruptSource::Intr, 0x0000, 6}, "6 2008: C7        INT RST 0       "},
    };
    for (const auto& [taken, start] : rows)
        EXPECT_EQ(FormatInterruptLine(6, 0x2008, taken, cpu), std::string(start) + registers);
}

} // namespace
