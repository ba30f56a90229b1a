#include "Report.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// A machine after the small program of the report's description.
void SetUpSmallProgram(CpuState& cpu, CpuModel model)
{
    cpu = CpuState{};
    cpu.Model = model;
    const std::uint8_t program[] = {0x3E, 0x05, 0xC6, 0x03, 0x32, 0x08, 0x20, 0x76, 0x08};
    std::memcpy(cpu.Memory + 0x2000, program, sizeof program);
    cpu.PC = 0x2008;
    cpu.SP = 0xFFFE;
    cpu.A = 0x08;
    cpu.B = 0x01;
    cpu.C = 0x02;
    cpu.D = 0x03;
    cpu.E = 0x04;
    cpu.H = 0xA5;
    cpu.L = 0xFF;
    cpu.Instructions = 5;
    cpu.States = 27;
}

TEST(FormatReport, Model8085ShowsEveryLine)
{
    static CpuState cpu;
    SetUpSmallProgram(cpu, CpuModel::I8085);
    cpu.F = 0x80 | 0x10 | 0x02; // S, AC, V
    cpu.IE = true;
    cpu.Masks = 0x05; // 5.5 and 7.5 masked
    cpu.Rst75Latch = true;
    cpu.Sod = true;
    PortLog ports;
    ports.Written[0xFF] = true;
    ports.Written[0x01] = true;
    ports.Last[0x01] = 0x2A;
    EXPECT_EQ(FormatReport(cpu, StopReason::Halt, ports, {{0x2000, 0x2008}}),
              "stop: halt\n"
              "instructions: 5\n"
              "t-states: 27\n"
              "PC: 2008\n"
              "SP: FFFE\n"
              "A: 08\nB: 01\nC: 02\nD: 03\nE: 04\nH: A5\nL: FF\n"
              "S: 1\nZ: 0\nAC: 1\nP: 0\nCY: 0\nV: 1\nK: 0\n"
              "PSW: 92\n"
              "IE: 1\n"
              "M5.5: 1\nM6.5: 0\nM7.5: 1\nI7.5: 1\nSOD: 1\n"
              "out 01: 2A\n"
              "out FF: 00\n"
              "dump 2000: 3E 05 C6 03 32 08 20 76 08  |>...2. v.|\n");
}

TEST(FormatDump, LinesOfSixteenBytes)
{
    static std::uint8_t memory[65536];
    for (unsigned i = 0; i < 16; ++i)
        memory[0x1000 + i] = static_cast<std::uint8_t>(0x1E + i); // 1E 1F 20 ... 2D
    memory[0x1010] = 0x7E;
    memory[0x1011] = 0x7F;
    memory[0xFFFE] = 0x41;
    memory[0xFFFF] = 0x80;
    struct Row {
        DumpRange Range;
        const char* Expected;
    } rows[] = {
        {{0x1011, 0x1011}, "dump 1011: 7F  |.|\n"},
        {{0x1000, 0x1011},
         "dump 1000: 1E 1F 20 21 22 23 24 25 26 27 28 29 2A 2B 2C 2D  |.. !\"#$%&'()*+,-|\n"
         "dump 1010: 7E 7F  |~.|\n"},
        {{0x1002, 0x1012},
         "dump 1002: 20 21 22 23 24 25 26 27 28 29 2A 2B 2C 2D 7E 7F  | !\"#$%&'()*+,-~.|\n"
         "dump 1012: 00  |.|\n"},
        {{0xFFFD, 0xFFFF}, "dump FFFD: 00 41 80  |.A.|\n"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(FormatDump(memory, row.Range), row.Expected);
}

} // namespace
