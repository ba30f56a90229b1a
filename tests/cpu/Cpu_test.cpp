// The processor core, one row per rule: what the CP/M test programs do not
// reach (the 8085's own instructions and flags, interrupts, HLT, I/O) and
// the flag cases that users of simulators most often find wrong. Expected
// values are written out by hand. F is the flag register: S Z K AC 0 P V CY.
#include "Cpu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr CpuModel _8080 = CpuModel::I8080;
constexpr CpuModel _8085 = CpuModel::I8085;
constexpr std::uint16_t _Origin = 0x0100;
constexpr std::uint16_t _StackTop = 0xF000;
constexpr std::uint8_t _Hlt = 0x76;

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

std::uint16_t JoinPair(std::uint8_t high, std::uint8_t low)
{
    return static_cast<std::uint16_t>((high << 8) | low);
}

std::uint16_t ReadWordAt(const CpuState& cpu, std::uint16_t address)
{
    return JoinPair(cpu.Memory[address + 1], cpu.Memory[address]);
}

// --- Accumulator and flag rules ------------------------------------------

TEST(Flags, OneRowPerRule)
{
    struct Row {
        const char* Rule;
        CpuModel Model;
        std::vector<std::uint8_t> Program; // runs to the HLT that follows it
        std::uint8_t A, B, F;              // before
        std::uint8_t ExpectedA, ExpectedF;
    } rows[] = {
        // Subtraction: AC is the carry out of bit 3 of A + ~operand + ~borrow.
        {"SUB, no carry out of bit 3", _8080, {0x90}, 0x10, 0x01, 0x00, 0x0F, 0x04},
        {"SUB, carry out of bit 3", _8080, {0x90}, 0x05, 0x01, 0x00, 0x04, 0x10},
        {"SBB, borrow taken in", _8080, {0x98}, 0x05, 0x05, 0x01, 0xFF, 0x85},
        {"SBI, AC from the complemented borrow", _8080, {0xDE, 0x00}, 0x10, 0x00, 0x01, 0x0F, 0x04},
        {"SUI on the 8085, same AC", _8085, {0xD6, 0x01}, 0x05, 0x00, 0x00, 0x04, 0x10},
        {"CMP equal: Z, AC, A kept", _8080, {0xB8}, 0x42, 0x42, 0x00, 0x42, 0x54},
        {"CPI below: CY and S", _8080, {0xFE, 0x03}, 0x02, 0x00, 0x00, 0x02, 0x85},
        // INR sets AC when the low nibble was F; DCR unless it was 0. CY stays.
        {"INR, low nibble F", _8080, {0x04}, 0x00, 0x0F, 0x01, 0x00, 0x11},
        {"INR, low nibble E", _8080, {0x04}, 0x00, 0x0E, 0x00, 0x00, 0x04},
        {"DCR, low nibble 0", _8080, {0x05}, 0x00, 0x10, 0x00, 0x00, 0x04},
        {"DCR, low nibble 1", _8080, {0x05}, 0x00, 0x11, 0x01, 0x00, 0x11},
        // DAA.
        {"62H+98H then DAA", _8080, {0xC6, 0x98, 0x27}, 0x62, 0x00, 0x00, 0x60, 0x15},
        {"81H+81H then DAA", _8080, {0xC6, 0x81, 0x27}, 0x81, 0x00, 0x00, 0x62, 0x01},
        {"DAA on 9AH: 06H makes the high part above 9", _8080, {0x27}, 0x9A, 0x00, 0x00, 0x00, 0x55},
        {"DAA keeps CY it does not set", _8080, {0x27}, 0x12, 0x00, 0x01, 0x72, 0x05},
        {"DAA on 99H: nothing to adjust", _8080, {0x27}, 0x99, 0x00, 0x00, 0x99, 0x84},
        {"DAA on the 8085", _8085, {0xC6, 0x98, 0x27}, 0x62, 0x00, 0x00, 0x60, 0x15},
        // Logical operations.
        {"ANA on the 8085 sets AC", _8085, {0xA0}, 0xF0, 0x0F, 0x01, 0x00, 0x54},
        {"ANI on the 8085 sets AC", _8085, {0xE6, 0x07}, 0xF7, 0x00, 0x00, 0x07, 0x10},
        {"ANA on the 8080: AC from bit 3 of A", _8080, {0xA0}, 0x08, 0x00, 0x01, 0x00, 0x54},
        {"ANA on the 8080: AC from bit 3 of the operand", _8080, {0xA0}, 0x00, 0x08, 0x00, 0x00, 0x54},
        {"ANI on the 8080: no bit 3, no AC", _8080, {0xE6, 0xF7}, 0x07, 0x00, 0x10, 0x07, 0x00},
        {"ORA clears AC and CY", _8085, {0xB0}, 0x01, 0x02, 0x11, 0x03, 0x04},
        {"XRA clears AC and CY", _8080, {0xA8}, 0xFF, 0xFF, 0x11, 0x00, 0x44},
        {"ORI on the 8085 clears V, K follows S", _8085, {0xF6, 0x80}, 0x00, 0x00, 0x02, 0x80, 0xA0},
        // The 8085's V (overflow) and K (S XOR V).
        {"ADD overflows: V", _8085, {0x80}, 0x7F, 0x01, 0x00, 0x80, 0x92},
        {"ADD overflows on the 8080: no V", _8080, {0x80}, 0x7F, 0x01, 0x00, 0x80, 0x90},
        {"ADD to a negative sum, no overflow: K", _8085, {0x80}, 0xF0, 0x01, 0x00, 0xF1, 0xA0},
        {"CPI signed below with overflow: K", _8085, {0xFE, 0x01}, 0x80, 0x00, 0x00, 0x80, 0x22},
        {"CMP signed below, no overflow: K", _8085, {0xB8}, 0xFE, 0x01, 0x00, 0xFE, 0xB0},
        {"INR 7FH: V", _8085, {0x3C}, 0x7F, 0x00, 0x00, 0x80, 0x92},
        {"DCR 80H: V and K", _8085, {0x3D}, 0x80, 0x00, 0x00, 0x7F, 0x22},
        // Rotates and carry instructions touch CY only.
        {"RLC", _8085, {0x07}, 0x81, 0x00, 0xD6, 0x03, 0xD7},
        {"RAR", _8080, {0x1F}, 0x01, 0x00, 0x00, 0x00, 0x01},
        {"STC", _8080, {0x37}, 0x00, 0x00, 0x00, 0x00, 0x01},
        {"CMC", _8080, {0x3F}, 0x00, 0x00, 0x01, 0x00, 0x00},
    };
    for (const Row& row : rows) {
        std::vector<std::uint8_t> program = row.Program;
        program.push_back(_Hlt);
        auto cpu = MakeCpu(row.Model, program);
        cpu->A = row.A;
        cpu->B = row.B;
        cpu->F = row.F;
        ASSERT_EQ(RunCpu(*cpu, 100), RunEnd::Halted) << row.Rule;
        EXPECT_EQ(cpu->A, row.ExpectedA) << row.Rule;
        EXPECT_EQ(cpu->F, row.ExpectedF) << row.Rule;
    }
}

// One row per ALU group with a carry in (CY before) and a carry out (CY
// after), so that an instruction that drops, ignores or invents the carry
// fails here without any other simulator to compare against. Worked by hand
// from the data book's descriptions, on the 8080 (no V or K). F: S 80H,
// Z 40H, AC 10H, P 04H, CY 01H.
TEST(Flags, EachAluGroupWithCarryInAndOut)
{
    struct Row {
        const char* Rule;
        std::vector<std::uint8_t> Program;
        std::uint8_t A, B, F;
        std::uint8_t ExpectedA, ExpectedF;
    } rows[] = {
        {"ADD ignores CY, carries out", {0x80}, 0xF0, 0x20, 0x01, 0x10, 0x01},
        {"ADC adds CY, carries out of bits 3 and 7", {0x88}, 0xF0, 0x0F, 0x01, 0x00, 0x55},
        {"ADC without CY", {0x88}, 0x3A, 0x05, 0x00, 0x3F, 0x04},
        {"ADI ignores CY, carries out", {0xC6, 0x01}, 0xFF, 0x00, 0x01, 0x00, 0x55},
        {"ACI adds CY, carries out", {0xCE, 0x80}, 0x7F, 0x00, 0x01, 0x00, 0x55},
        {"SUB ignores CY, borrows out", {0x90}, 0x01, 0x02, 0x01, 0xFF, 0x85},
        {"SBB subtracts CY, borrows out", {0x98}, 0x00, 0xFF, 0x01, 0x00, 0x45},
        {"SUI ignores CY, borrows out", {0xD6, 0x01}, 0x00, 0x00, 0x01, 0xFF, 0x85},
        {"SBI subtracts CY, borrows out", {0xDE, 0x00}, 0x00, 0x00, 0x01, 0xFF, 0x85},
        {"ANA clears CY; AC from bit 3 of either", {0xA0}, 0xFC, 0x0F, 0x01, 0x0C, 0x14},
        {"ANI clears CY", {0xE6, 0x80}, 0xFF, 0x00, 0x01, 0x80, 0x90},
        {"XRA clears CY", {0xA8}, 0x5A, 0x0F, 0x01, 0x55, 0x04},
        {"XRI clears CY", {0xEE, 0x01}, 0x80, 0x00, 0x01, 0x81, 0x84},
        {"ORA clears CY", {0xB0}, 0x00, 0x00, 0x01, 0x00, 0x44},
        {"ORI clears CY", {0xF6, 0x02}, 0x01, 0x00, 0x01, 0x03, 0x04},
        {"CMP ignores CY, borrows out, keeps A", {0xB8}, 0x01, 0x02, 0x01, 0x01, 0x85},
        {"CPI ignores CY, no borrow", {0xFE, 0x05}, 0x05, 0x00, 0x01, 0x05, 0x54},
        {"INR keeps CY set", {0x3C}, 0xFF, 0x00, 0x01, 0x00, 0x55},
        {"DCR keeps CY clear", {0x3D}, 0x00, 0x00, 0x00, 0xFF, 0x84},
        {"DAA with CY in adds 60H and keeps it", {0x27}, 0x00, 0x00, 0x01, 0x60, 0x05},
        {"DAA carries out of a high part above 9", {0x27}, 0xA0, 0x00, 0x00, 0x00, 0x45},
        {"RAL: CY into bit 0, bit 7 out", {0x17}, 0x80, 0x00, 0x01, 0x01, 0x01},
        {"RAL: CY in, nothing out", {0x17}, 0x40, 0x00, 0x01, 0x81, 0x00},
        {"RAR: CY into bit 7, bit 0 out", {0x1F}, 0x01, 0x00, 0x01, 0x80, 0x01},
        {"RAR: CY in, nothing out", {0x1F}, 0x02, 0x00, 0x01, 0x81, 0x00},
        {"RLC: bit 7 out and round, CY in ignored", {0x07}, 0x80, 0x00, 0x00, 0x01, 0x01},
        {"RLC: CY in ignored", {0x07}, 0x01, 0x00, 0x01, 0x02, 0x00},
        {"RRC: bit 0 out and round", {0x0F}, 0x01, 0x00, 0x00, 0x80, 0x01},
        {"RRC: CY in ignored", {0x0F}, 0x02, 0x00, 0x01, 0x01, 0x00},
    };
    for (const Row& row : rows) {
        std::vector<std::uint8_t> program = row.Program;
        program.push_back(_Hlt);
        auto cpu = MakeCpu(_8080, program);
        cpu->A = row.A;
        cpu->B = row.B;
        cpu->F = row.F;
        ASSERT_EQ(RunCpu(*cpu, 100), RunEnd::Halted) << row.Rule;
        EXPECT_EQ(cpu->A, row.ExpectedA) << row.Rule;
        EXPECT_EQ(cpu->F, row.ExpectedF) << row.Rule;
    }
}

// DAD: HL plus the pair; CY is the carry out of bit 15, in ignored, and the
// other flags stay.
TEST(Flags, DadCarriesOutOfBit15Only)
{
    struct Row {
        const char* Rule;
        std::uint8_t Opcode;
        std::uint16_t HL, Pair; // Pair: BC, DE, HL itself or SP
        std::uint8_t F;
        std::uint16_t ExpectedHL;
        std::uint8_t ExpectedF;
    } rows[] = {
        {"DAD B carries out, Z and P stay", 0x09, 0xFFFF, 0x0001, 0x44, 0x0000, 0x45},
        {"DAD B ignores CY in, clears it", 0x09, 0x1234, 0x1111, 0x01, 0x2345, 0x00},
        {"DAD D carries out", 0x19, 0x8001, 0x8000, 0x00, 0x0001, 0x01},
        {"DAD H doubles, carries out", 0x29, 0x8000, 0x8000, 0x00, 0x0000, 0x01},
        {"DAD SP carries out", 0x39, 0x0001, 0xFFFF, 0x80, 0x0000, 0x81},
    };
    for (const Row& row : rows) {
        auto cpu = MakeCpu(_8080, {row.Opcode, _Hlt});
        cpu->H = static_cast<std::uint8_t>(row.HL >> 8);
        cpu->L = static_cast<std::uint8_t>(row.HL);
        const auto high = static_cast<std::uint8_t>(row.Pair >> 8);
        const auto low = static_cast<std::uint8_t>(row.Pair);
        if (row.Opcode == 0x09)
            cpu->B = high, cpu->C = low;
        else if (row.Opcode == 0x19)
            cpu->D = high, cpu->E = low;
        else if (row.Opcode == 0x39)
            cpu->SP = row.Pair;
        cpu->F = row.F;
        ASSERT_EQ(RunCpu(*cpu, 100), RunEnd::Halted) << row.Rule;
        EXPECT_EQ(JoinPair(cpu->H, cpu->L), row.ExpectedHL) << row.Rule;
        EXPECT_EQ(cpu->F, row.ExpectedF) << row.Rule;
    }
}

TEST(PswByte, AsPushPswPushesIt)
{
    struct Row {
        CpuModel Model;
        std::uint8_t Popped;      // the byte POP PSW takes
        std::uint8_t ExpectedPsw; // PswByte afterwards, and what PUSH PSW pushes
    } rows[] = {
        {_8080, 0xFF, 0xD7}, // bit 1 set, bits 3 and 5 clear
        {_8080, 0x00, 0x02},
        {_8085, 0xFF, 0xF7}, // K and V kept, bit 3 clear
        {_8085, 0x00, 0x00},
    };
    for (const Row& row : rows) {
        // POP PSW; PUSH PSW; HLT
        auto cpu = MakeCpu(row.Model, {0xF1, 0xF5, _Hlt});
        cpu->Memory[_StackTop] = row.Popped;
        ASSERT_EQ(RunCpu(*cpu, 100), RunEnd::Halted);
        EXPECT_EQ(PswByte(*cpu), row.ExpectedPsw) << int(row.Popped);
        EXPECT_EQ(cpu->Memory[_StackTop], row.ExpectedPsw) << int(row.Popped);
    }
}

// --- The 8085's undocumented instructions and the 8080's duplicates -------

TEST(Undocumented, OneRowPerInstruction)
{
    struct Row {
        const char* Instruction;
        CpuModel Model;
        std::vector<std::uint8_t> Program;
        std::uint16_t BC, DE, HL;
        std::uint8_t F;
        std::uint16_t ExpectedDE, ExpectedHL;
        std::uint8_t ExpectedF;
    } rows[] = {
        {"DSUB, borrow from the low byte", _8085, {0x08}, 0x0235, 0, 0x1234, 0x00, 0, 0x0FFF, 0x04},
        {"DSUB to zero", _8085, {0x08}, 0x1234, 0, 0x1234, 0x00, 0, 0x0000, 0x54},
        {"DSUB below zero: CY, S, K", _8085, {0x08}, 0x0001, 0, 0x0000, 0x00, 0, 0xFFFF, 0xA5},
        {"ARHL keeps bit 15", _8085, {0x10}, 0, 0, 0x8003, 0x00, 0, 0xC001, 0x01},
        {"RDEL through CY, V on a change of bit 15", _8085, {0x18}, 0, 0x4001, 0, 0x01, 0x8003, 0, 0x02},
        {"RDEL, CY from bit 15, bit 15 kept: no V", _8085, {0x18}, 0, 0xC000, 0, 0x02, 0x8000, 0, 0x01},
        {"LDHI", _8085, {0x28, 0x10}, 0, 0, 0x12F8, 0x00, 0x1308, 0x12F8, 0x00},
        {"LDSI", _8085, {0x38, 0x10}, 0, 0, 0, 0x00, 0xF010, 0, 0x00},
        {"LHLX", _8085, {0xED}, 0, 0x0200, 0, 0x00, 0x0200, 0xBEEF, 0x00},
        {"INX to 0000H sets K", _8085, {0x23}, 0, 0, 0xFFFF, 0x00, 0, 0x0000, 0x20},
        {"INX elsewhere clears K", _8085, {0x23}, 0, 0, 0x7FFF, 0xFF, 0, 0x8000, 0xDF},
        {"DCX to FFFFH sets K", _8085, {0x1B}, 0, 0x0000, 0, 0x00, 0xFFFF, 0, 0x20},
        {"INX on the 8080 leaves F", _8080, {0x23}, 0, 0, 0xFFFF, 0x00, 0, 0x0000, 0x00},
        {"08H on the 8080 is NOP", _8080, {0x08}, 0x0235, 0, 0x1234, 0x00, 0, 0x1234, 0x00},
        {"28H on the 8080 is NOP", _8080, {0x28, 0x00}, 0, 0, 0x12F8, 0x00, 0, 0x12F8, 0x00},
    };
    for (const Row& row : rows) {
        std::vector<std::uint8_t> program = row.Program;
        program.push_back(_Hlt);
        auto cpu = MakeCpu(row.Model, program);
        cpu->B = row.BC >> 8, cpu->C = row.BC & 0xFF;
        cpu->D = row.DE >> 8, cpu->E = row.DE & 0xFF;
        cpu->H = row.HL >> 8, cpu->L = row.HL & 0xFF;
        cpu->F = row.F;
        cpu->Memory[0x0200] = 0xEF;
        cpu->Memory[0x0201] = 0xBE;
        ASSERT_EQ(RunCpu(*cpu, 100), RunEnd::Halted) << row.Instruction;
        EXPECT_EQ(JoinPair(cpu->D, cpu->E), row.ExpectedDE) << row.Instruction;
        EXPECT_EQ(JoinPair(cpu->H, cpu->L), row.ExpectedHL) << row.Instruction;
        EXPECT_EQ(cpu->F, row.ExpectedF) << row.Instruction;
    }
}

// INX and DCX of every pair: K is set when the pair wraps round and
// cleared otherwise, whatever it was.
TEST(Undocumented, IncrementAndDecrementOfEachPairSetK)
{
    struct Row {
        const char* Instruction;
        std::uint8_t Opcode;
        std::uint16_t Before, ExpectedAfter;
        std::uint8_t F, ExpectedF;
    } rows[] = {
        {"INX B to 0000H", 0x03, 0xFFFF, 0x0000, 0x00, 0x20},  {"INX B", 0x03, 0x00FF, 0x0100, 0x20, 0x00},
        {"DCX B to FFFFH", 0x0B, 0x0000, 0xFFFF, 0x00, 0x20},  {"DCX B", 0x0B, 0x0100, 0x00FF, 0x20, 0x00},
        {"INX D to 0000H", 0x13, 0xFFFF, 0x0000, 0x00, 0x20},  {"INX D", 0x13, 0x00FF, 0x0100, 0x20, 0x00},
        {"DCX D to FFFFH", 0x1B, 0x0000, 0xFFFF, 0x00, 0x20},  {"DCX D", 0x1B, 0x0100, 0x00FF, 0x20, 0x00},
        {"INX H to 0000H", 0x23, 0xFFFF, 0x0000, 0x00, 0x20},  {"INX H", 0x23, 0x00FF, 0x0100, 0x20, 0x00},
        {"DCX H to FFFFH", 0x2B, 0x0000, 0xFFFF, 0x00, 0x20},  {"DCX H", 0x2B, 0x0100, 0x00FF, 0x20, 0x00},
        {"INX SP to 0000H", 0x33, 0xFFFF, 0x0000, 0x00, 0x20}, {"INX SP", 0x33, 0x00FF, 0x0100, 0x20, 0x00},
        {"DCX SP to FFFFH", 0x3B, 0x0000, 0xFFFF, 0x00, 0x20}, {"DCX SP", 0x3B, 0x0100, 0x00FF, 0x20, 0x00},
    };
    for (const Row& row : rows) {
        auto cpu = MakeCpu(_8085, {row.Opcode, _Hlt});
        cpu->F = row.F;
        const auto high = static_cast<std::uint8_t>(row.Before >> 8), low = static_cast<std::uint8_t>(row.Before);
        switch (row.Opcode & 0x30) {
        case 0x00: cpu->B = high, cpu->C = low; break;
        case 0x10: cpu->D = high, cpu->E = low; break;
        case 0x20: cpu->H = high, cpu->L = low; break;
        default: cpu->SP = row.Before; break;
        }
        StepCpu(*cpu);
        const std::uint16_t after = (row.Opcode & 0x30) == 0x00   ? JoinPair(cpu->B, cpu->C)
                                    : (row.Opcode & 0x30) == 0x10 ? JoinPair(cpu->D, cpu->E)
                                    : (row.Opcode & 0x30) == 0x20 ? JoinPair(cpu->H, cpu->L)
                                                                  : cpu->SP;
        EXPECT_EQ(after, row.ExpectedAfter) << row.Instruction;
        EXPECT_EQ(cpu->F, row.ExpectedF) << row.Instruction;
    }
}

TEST(Undocumented, The8080TakesThe8085sCodesForNop)
{
    // 10H and 18H (ARHL, RDEL), 20H and 30H (RIM, SIM), 38H (LDSI): one byte,
    // four T-states, nothing changed.
    for (std::uint8_t opcode : {0x10, 0x18, 0x20, 0x30, 0x38}) {
        auto cpu = MakeCpu(_8080, {opcode});
        cpu->A = 0x18; // SIM would clear the masks and the RST 7.5 latch
        cpu->D = 0x80, cpu->H = 0x80, cpu->L = 0x01;
        cpu->Rst75Latch = true;
        EXPECT_EQ(StepCpu(*cpu), 4) << int(opcode);
        EXPECT_EQ(cpu->PC, 0x0101) << int(opcode);
        EXPECT_EQ(cpu->A, 0x18) << int(opcode);
        EXPECT_EQ(JoinPair(cpu->D, cpu->E), 0x8000) << int(opcode);
        EXPECT_EQ(JoinPair(cpu->H, cpu->L), 0x8001) << int(opcode);
        EXPECT_EQ(cpu->F, 0x00) << int(opcode);
        EXPECT_EQ(cpu->Masks, 0x07) << int(opcode);
        EXPECT_TRUE(cpu->Rst75Latch) << int(opcode);
    }
}

TEST(Undocumented, ShlxStoresHlAtDe)
{
    auto cpu = MakeCpu(_8085, {0xD9, _Hlt});
    cpu->D = 0x02, cpu->E = 0x00, cpu->H = 0x12, cpu->L = 0x34;
    RunCpu(*cpu, 100);
    EXPECT_EQ(ReadWordAt(*cpu, 0x0200), 0x1234);
}

// Transfers of control: where PC goes, what is pushed, the T-states.
TEST(Transfers, OneRowPerCase)
{
    struct Row {
        const char* Case;
        CpuModel Model;
        std::uint8_t Opcode; // at 0100H, followed by the address 0300H
        std::uint8_t F;
        std::uint16_t ExpectedPC; // of the next instruction
        int ExpectedStates;
        std::uint16_t ExpectedPushed; // 0: nothing pushed
    } rows[] = {
        {"RSTV with V", _8085, 0xCB, 0x02, 0x0040, 12, 0x0101},
        {"RSTV without V", _8085, 0xCB, 0x00, 0x0101, 6, 0},
        {"JK taken", _8085, 0xFD, 0x20, 0x0300, 10, 0},
        {"JK not taken", _8085, 0xFD, 0x00, 0x0103, 7, 0},
        {"JNK taken", _8085, 0xDD, 0x00, 0x0300, 10, 0},
        {"JNK not taken", _8085, 0xDD, 0x20, 0x0103, 7, 0},
        {"JNZ not taken on the 8085", _8085, 0xC2, 0x40, 0x0103, 7, 0},
        {"JNZ not taken on the 8080", _8080, 0xC2, 0x40, 0x0103, 10, 0},
        {"CZ taken on the 8085", _8085, 0xCC, 0x40, 0x0300, 18, 0x0103},
        {"CZ not taken on the 8080", _8080, 0xCC, 0x00, 0x0103, 11, 0},
        {"CBH on the 8080 is JMP", _8080, 0xCB, 0x00, 0x0300, 10, 0},
        {"DDH on the 8080 is CALL", _8080, 0xDD, 0x00, 0x0300, 17, 0x0103},
        {"EDH on the 8080 is CALL", _8080, 0xED, 0x00, 0x0300, 17, 0x0103},
        {"FDH on the 8080 is CALL", _8080, 0xFD, 0x00, 0x0300, 17, 0x0103},
        {"D9H on the 8080 is RET", _8080, 0xD9, 0x00, 0x1234, 10, 0},
        {"RST 1", _8085, 0xCF, 0x00, 0x0008, 12, 0x0101},
        {"RST 2", _8085, 0xD7, 0x00, 0x0010, 12, 0x0101},
        {"RST 3", _8085, 0xDF, 0x00, 0x0018, 12, 0x0101},
        {"RST 4", _8085, 0xE7, 0x00, 0x0020, 12, 0x0101},
        {"RST 5", _8085, 0xEF, 0x00, 0x0028, 12, 0x0101},
        {"RST 6", _8085, 0xF7, 0x00, 0x0030, 12, 0x0101},
        {"RST 7", _8085, 0xFF, 0x00, 0x0038, 12, 0x0101},
        {"RST 7 on the 8080", _8080, 0xFF, 0x00, 0x0038, 11, 0x0101},
    };
    for (const Row& row : rows) {
        auto cpu = MakeCpu(row.Model, {row.Opcode, 0x00, 0x03});
        cpu->F = row.F;
        cpu->Memory[_StackTop] = 0x34; // for RET
        cpu->Memory[_StackTop + 1] = 0x12;
        EXPECT_EQ(StepCpu(*cpu), row.ExpectedStates) << row.Case;
        EXPECT_EQ(cpu->PC, row.ExpectedPC) << row.Case;
        if (row.ExpectedPushed != 0) {
            EXPECT_EQ(cpu->SP, _StackTop - 2) << row.Case;
            EXPECT_EQ(ReadWordAt(*cpu, _StackTop - 2), row.ExpectedPushed) << row.Case;
        } else if (row.Opcode != 0xD9) {
            EXPECT_EQ(cpu->SP, _StackTop) << row.Case;
        }
    }
}

// Every condition, taken and not taken, by jump, call and return. The
// flags given make the condition hold (Holds) or fail (Fails).
TEST(Transfers, EveryConditionTakenAndNotTaken)
{
    struct Row {
        const char* Condition;
        std::uint8_t Jump, Call, Return;
        std::uint8_t Holds, Fails;
    } rows[] = {
        {"NZ", 0xC2, 0xC4, 0xC0, 0x00, 0x40}, {"Z", 0xCA, 0xCC, 0xC8, 0x40, 0x00},
        {"NC", 0xD2, 0xD4, 0xD0, 0x00, 0x01}, {"C", 0xDA, 0xDC, 0xD8, 0x01, 0x00},
        {"PO", 0xE2, 0xE4, 0xE0, 0x00, 0x04}, {"PE", 0xEA, 0xEC, 0xE8, 0x04, 0x00},
        {"P", 0xF2, 0xF4, 0xF0, 0x00, 0x80},  {"M", 0xFA, 0xFC, 0xF8, 0x80, 0x00},
    };
    for (const Row& row : rows) {
        for (CpuModel model : {_8080, _8085}) {
            for (bool holds : {true, false}) {
                const std::string what = std::string(row.Condition) + (holds ? " taken" : " not taken") +
                                         (model == _8080 ? " (8080)" : " (8085)");
                // Every other flag is set the other way, so that a test of the wrong bit fails.
                const auto f = static_cast<std::uint8_t>(holds ? row.Holds | (0xC5 & ~(row.Holds | row.Fails))
                                                               : row.Fails | (0xC5 & ~(row.Holds | row.Fails)));
                for (std::uint8_t opcode : {row.Jump, row.Call, row.Return}) {
                    auto cpu = MakeCpu(model, {opcode, 0x00, 0x03});
                    cpu->F = f;
                    cpu->Memory[_StackTop] = 0x34; // for the return
                    cpu->Memory[_StackTop + 1] = 0x12;
                    StepCpu(*cpu);
                    if (opcode == row.Return) {
                        EXPECT_EQ(cpu->PC, holds ? 0x1234 : 0x0101) << "R" << what;
                        EXPECT_EQ(cpu->SP, holds ? _StackTop + 2 : _StackTop) << "R" << what;
                    } else if (opcode == row.Jump) {
                        EXPECT_EQ(cpu->PC, holds ? 0x0300 : 0x0103) << "J" << what;
                        EXPECT_EQ(cpu->SP, _StackTop) << "J" << what;
                    } else {
                        EXPECT_EQ(cpu->PC, holds ? 0x0300 : 0x0103) << "C" << what;
                        EXPECT_EQ(cpu->SP, holds ? _StackTop - 2 : _StackTop) << "C" << what;
                        if (holds) {
                            EXPECT_EQ(ReadWordAt(*cpu, _StackTop - 2), 0x0103) << "C" << what;
                        }
                    }
                }
            }
        }
    }
}

TEST(Transfers, XthlSwapsLowWithLAndHighWithH)
{
    auto cpu = MakeCpu(_8080, {0xE3, _Hlt}); // XTHL
    cpu->H = 0xAB, cpu->L = 0xCD;
    cpu->Memory[_StackTop] = 0x34;
    cpu->Memory[_StackTop + 1] = 0x12;
    StepCpu(*cpu);
    EXPECT_EQ(cpu->H, 0x12);
    EXPECT_EQ(cpu->L, 0x34);
    EXPECT_EQ(cpu->Memory[_StackTop], 0xCD);
    EXPECT_EQ(cpu->Memory[_StackTop + 1], 0xAB);
    EXPECT_EQ(cpu->SP, _StackTop);
}

// --- RIM and SIM -----------------------------------------------------------

TEST(Rim, ReadsLinesLatchIeAndMasks)
{
    struct Row {
        bool Sid, Latch, Rst65, Rst55, IE;
        std::uint8_t Masks;
        std::uint8_t Expected;
    } rows[] = {
        {false, false, false, false, false, 0x07, 0x07}, {true, false, false, false, false, 0x00, 0x80},
        {false, true, false, false, false, 0x00, 0x40},  {false, false, true, false, false, 0x00, 0x20},
        {false, false, false, true, false, 0x00, 0x10},  {false, false, false, false, true, 0x00, 0x08},
        {false, false, false, false, false, 0x05, 0x05},
    };
    for (const Row& row : rows) {
        auto cpu = MakeCpu(_8085, {0x20, _Hlt}); // RIM
        cpu->Lines.Sid = row.Sid;
        cpu->Rst75Latch = row.Latch;
        cpu->Lines.Rst65 = row.Rst65;
        cpu->Lines.Rst55 = row.Rst55;
        cpu->IE = row.IE;
        cpu->Masks = row.Masks;
        StepCpu(*cpu);
        EXPECT_EQ(cpu->A, row.Expected);
    }
}

TEST(Sim, SetsMasksLatchAndSod)
{
    struct Row {
        const char* Case;
        std::uint8_t A;
        std::uint8_t ExpectedMasks;
        bool ExpectedLatch, ExpectedSod;
    } rows[] = {
        {"MSE loads the masks", 0x0A, 0x02, true, false},
        {"without MSE the masks stay", 0x02, 0x07, true, false},
        {"R7.5 clears the latch", 0x10, 0x07, false, false},
        {"SDE loads SOD from bit 7", 0xC0, 0x07, true, true},
        {"SDE with bit 7 clear clears SOD", 0x40, 0x07, true, false},
        {"bit 7 without SDE does nothing", 0x80, 0x07, true, false},
    };
    for (const Row& row : rows) {
        auto cpu = MakeCpu(_8085, {0x30, _Hlt}); // SIM
        cpu->A = row.A;
        cpu->Rst75Latch = true;
        cpu->Sod = row.A == 0x40; // so that A=40H must clear it
        StepCpu(*cpu);
        EXPECT_EQ(cpu->Masks, row.ExpectedMasks) << row.Case;
        EXPECT_EQ(cpu->Rst75Latch, row.ExpectedLatch) << row.Case;
        EXPECT_EQ(cpu->Sod, row.ExpectedSod) << row.Case;
    }
}

// --- Interrupts --------------------------------------------------------------

enum class Source { Trap, Rst75, Rst65, Rst55, Intr3, All };

void Raise(CpuState& cpu, Source source)
{
    cpu.Lines.Trap = source == Source::Trap || source == Source::All;
    cpu.Lines.Rst75 = source == Source::Rst75 || source == Source::All;
    cpu.Lines.Rst65 = source == Source::Rst65 || source == Source::All;
    cpu.Lines.Rst55 = source == Source::Rst55 || source == Source::All;
    cpu.Lines.Intr = source == Source::Intr3 || source == Source::All ? 3 : -1;
}

TEST(Interrupts, EachSourceAndItsMask)
{
    struct Row {
        const char* Case;
        CpuModel Model;
        Source Raised;
        bool IE;
        std::uint8_t Masks;
        int ExpectedVector;                                     // -1: not taken
        InterruptSource ExpectedSource = InterruptSource::Trap; // as the core reports it
    } rows[] = {
        {"TRAP with interrupts disabled", _8085, Source::Trap, false, 0x07, 0x0024, InterruptSource::Trap},
        {"RST 7.5", _8085, Source::Rst75, true, 0x00, 0x003C, InterruptSource::Rst75},
        {"RST 7.5 masked", _8085, Source::Rst75, true, 0x04, -1},
        {"RST 6.5", _8085, Source::Rst65, true, 0x00, 0x0034, InterruptSource::Rst65},
        {"RST 6.5 masked", _8085, Source::Rst65, true, 0x02, -1},
        {"RST 5.5", _8085, Source::Rst55, true, 0x00, 0x002C, InterruptSource::Rst55},
        {"RST 5.5 masked", _8085, Source::Rst55, true, 0x01, -1},
        {"RST 5.5 with interrupts disabled", _8085, Source::Rst55, false, 0x00, -1},
        {"INTR with RST 3", _8085, Source::Intr3, true, 0x07, 0x0018, InterruptSource::Intr},
        {"INTR with interrupts disabled", _8085, Source::Intr3, false, 0x00, -1},
        {"INTR on the 8080", _8080, Source::Intr3, true, 0x07, 0x0018, InterruptSource::Intr},
        {"TRAP does not exist on the 8080", _8080, Source::Trap, true, 0x00, -1},
        {"TRAP first", _8085, Source::All, true, 0x00, 0x0024, InterruptSource::Trap},
    };
    for (const Row& row : rows) {
        auto cpu = MakeCpu(row.Model, {0x00, _Hlt}); // NOP; HLT
        cpu->IE = row.IE;
        cpu->Masks = row.Masks;
        Raise(*cpu, row.Raised);
        StepCpu(*cpu);
        if (row.ExpectedVector < 0) {
            EXPECT_EQ(cpu->PC, 0x0101) << row.Case;
            EXPECT_EQ(cpu->LastInterrupt.Step, 0u) << row.Case;
            continue;
        }
        EXPECT_EQ(cpu->PC, row.ExpectedVector) << row.Case;
        EXPECT_EQ(cpu->LastInterrupt.Source, row.ExpectedSource) << row.Case;
        EXPECT_EQ(cpu->LastInterrupt.Vector, row.ExpectedVector) << row.Case;
        EXPECT_EQ(cpu->LastInterrupt.Step, 1u) << row.Case;
        EXPECT_EQ(ReadWordAt(*cpu, _StackTop - 2), 0x0100) << row.Case;
        EXPECT_FALSE(cpu->IE) << row.Case;
        EXPECT_EQ(cpu->Instructions, 1u) << row.Case;
    }
}

TEST(Interrupts, PrioritiesBelowTrap)
{
    // With everything raised and TRAP served, the rest come in order as
    // each service routine re-enables interrupts.
    auto cpu = MakeCpu(_8085, {0x00});
    cpu->IE = true;
    cpu->Masks = 0;
    Raise(*cpu, Source::All);
    const std::uint16_t expected[] = {0x0024, 0x003C, 0x0034, 0x002C, 0x0018};
    for (std::uint16_t vector : expected) {
        cpu->IE = true;
        StepCpu(*cpu);
        EXPECT_EQ(cpu->PC, vector);
    }
}

TEST(Interrupts, Rst75LatchCatchesAMaskedEdge)
{
    auto cpu = MakeCpu(_8085, {0x00, 0x00, _Hlt});
    cpu->IE = true;
    cpu->Lines.Rst75 = true; // masked since reset
    StepCpu(*cpu);
    EXPECT_EQ(cpu->PC, 0x0101);
    EXPECT_TRUE(cpu->Rst75Latch);
    cpu->Masks = 0;
    StepCpu(*cpu);
    EXPECT_EQ(cpu->PC, 0x003C);
    EXPECT_FALSE(cpu->Rst75Latch);
}

TEST(Interrupts, EiTakesEffectAfterTheNextInstruction)
{
    // EI; MVI A, 1; MVI A, 2 with INTR raised throughout.
    auto cpu = MakeCpu(_8085, {0xFB, 0x3E, 0x01, 0x3E, 0x02, _Hlt});
    cpu->Lines.Intr = 7;
    EXPECT_EQ(RunCpu(*cpu, 3), RunEnd::StepLimit);
    EXPECT_EQ(cpu->A, 0x01);
    EXPECT_EQ(cpu->PC, 0x0038);
    EXPECT_EQ(ReadWordAt(*cpu, _StackTop - 2), 0x0103);
}

TEST(Interrupts, HltEndsRunAndAnInterruptEndsHlt)
{
    auto cpu = MakeCpu(_8085, {0xFB, _Hlt}); // EI; HLT
    EXPECT_EQ(RunCpu(*cpu, 0), RunEnd::Halted);
    EXPECT_TRUE(cpu->Halted);
    EXPECT_EQ(cpu->PC, 0x0102);
    EXPECT_EQ(StepCpu(*cpu), 0); // nothing to wake it
    cpu->Lines.Rst55 = true;
    cpu->Masks = 0;
    EXPECT_EQ(StepCpu(*cpu), 12);
    EXPECT_FALSE(cpu->Halted);
    EXPECT_EQ(cpu->PC, 0x002C);
    EXPECT_EQ(ReadWordAt(*cpu, _StackTop - 2), 0x0102);
}

TEST(Interrupts, RimAfterTrapReadsIeFromBeforeIt)
{
    auto cpu = MakeCpu(_8085, {});
    cpu->Memory[0x0024] = 0x20; // RIM
    cpu->Memory[0x0025] = 0x20; // RIM
    cpu->IE = true;
    cpu->Masks = 0x07;
    cpu->Lines.Trap = true;
    StepCpu(*cpu); // TRAP
    StepCpu(*cpu); // RIM: IE as it was before the TRAP
    EXPECT_FALSE(cpu->IE);
    EXPECT_EQ(cpu->A, 0x0F);
    StepCpu(*cpu); // RIM again: IE as it is now
    EXPECT_EQ(cpu->A, 0x07);
}

// --- I/O ---------------------------------------------------------------------

struct PortLog {
    std::uint8_t LastPort = 0, LastValue = 0;
};

std::uint8_t ReadPort(void*, std::uint8_t port)
{
    return static_cast<std::uint8_t>(port + 1);
}

void WritePort(void* context, std::uint8_t port, std::uint8_t value)
{
    auto* log = static_cast<PortLog*>(context);
    log->LastPort = port;
    log->LastValue = value;
}

TEST(Io, InAndOutGoThroughTheCallbacks)
{
    // IN 41H; OUT 07H; HLT
    auto cpu = MakeCpu(_8085, {0xDB, 0x41, 0xD3, 0x07, _Hlt});
    PortLog log;
    cpu->Io.In = ReadPort;
    cpu->Io.Out = WritePort;
    cpu->Io.Context = &log;
    RunCpu(*cpu, 0);
    EXPECT_EQ(cpu->A, 0x42);
    EXPECT_EQ(log.LastPort, 0x07);
    EXPECT_EQ(log.LastValue, 0x42);
}

TEST(Io, InWithoutACallbackReadsZero)
{
    auto cpu = MakeCpu(_8085, {0xDB, 0x41, _Hlt});
    cpu->A = 0x55;
    RunCpu(*cpu, 0);
    EXPECT_EQ(cpu->A, 0x00);
}

// --- Running -----------------------------------------------------------------

TEST(RunCpu, StopsAtTheStepLimit)
{
    auto cpu = MakeCpu(_8080, {0xC3, 0x00, 0x01}); // JMP 0100H
    EXPECT_EQ(RunCpu(*cpu, 1000), RunEnd::StepLimit);
    EXPECT_EQ(cpu->Instructions, 1000u);
    EXPECT_EQ(cpu->States, 10000u);
}

} // namespace

namespace {

// A watched run that is resumed with StepCpu at each of its stops ends
// exactly where the plain run ends: the watch only stops, it never changes
// what runs. Random memory, registers and watch tables, both models.
TEST(RunCpuWatched, ResumedAtEachStopEndsAsRunCpu)
{
    std::mt19937 random(85);
    const auto byte = [&random] { return static_cast<std::uint8_t>(random() & 0xFF); };
    std::vector<std::uint8_t> placed(65536), code(65536);
    int stops = 0;
    for (int round = 0; round < 20; ++round) {
        const CpuModel model = round % 2 ? _8080 : _8085;
        auto plain = std::make_unique<CpuState>();
        ResetCpu(*plain, model);
        for (auto& cell : plain->Memory)
            cell = byte();
        plain->PC = static_cast<std::uint16_t>(random());
        plain->SP = static_cast<std::uint16_t>(random());
        plain->A = byte(), plain->B = byte(), plain->C = byte(), plain->D = byte();
        plain->E = byte(), plain->H = byte(), plain->L = byte(), plain->F = byte();
        for (int i = 0; i < 65536; ++i) {
            placed[i] = (random() % 8) != 0;
            code[i] = placed[i] && (random() % 2);
        }
        auto watched = std::make_unique<CpuState>(*plain);
        const std::uint64_t limit = 20000;
        RunCpu(*plain, limit);
        RunWatch watch{placed.data(), code.data(), 0};
        while (RunCpuWatched(*watched, limit, watch) == RunEnd::Watched) {
            ++stops;
            StepCpu(*watched);
        }
        EXPECT_EQ(watched->PC, plain->PC) << round;
        EXPECT_EQ(watched->SP, plain->SP) << round;
        EXPECT_EQ(watched->F, plain->F) << round;
        EXPECT_EQ(JoinPair(watched->H, watched->L), JoinPair(plain->H, plain->L)) << round;
        EXPECT_EQ(watched->Instructions, plain->Instructions) << round;
        EXPECT_EQ(watched->States, plain->States) << round;
        EXPECT_TRUE(std::equal(plain->Memory, plain->Memory + 65536, watched->Memory)) << round;
    }
    EXPECT_GT(stops, 100);
}

// Where the watched run stops: before an instruction where nothing is
// placed (the one before it at LastAddress), before one that stores into
// code, and not before one that stores elsewhere.
TEST(RunCpuWatched, StopsBeforeTheWatchedInstruction)
{
    std::vector<std::uint8_t> placed(65536), code(65536);
    // 0100: MVI A,1  STA 0200H  STA 0103H  JMP 0300H; all placed, as code.
    auto cpu = MakeCpu(_8085, {0x3E, 0x01, 0x32, 0x00, 0x02, 0x32, 0x03, 0x01, 0xC3, 0x00, 0x03});
    for (int i = 0x100; i < 0x10B; ++i)
        placed[i] = code[i] = 1;
    RunWatch watch{placed.data(), code.data(), 0};
    EXPECT_EQ(RunCpuWatched(*cpu, 0, watch), RunEnd::Watched);
    EXPECT_EQ(cpu->PC, 0x0105); // STA 0103H, not yet run
    EXPECT_EQ(cpu->Instructions, 2u);
    std::uint16_t addresses[2];
    ASSERT_EQ(FindStoreAddresses(*cpu, addresses), 1);
    EXPECT_EQ(addresses[0], 0x0103);
    StepCpu(*cpu);
    EXPECT_EQ(RunCpuWatched(*cpu, 0, watch), RunEnd::Watched);
    EXPECT_EQ(cpu->PC, 0x0300); // where nothing is placed
    EXPECT_EQ(watch.LastAddress, 0x0108);
    EXPECT_EQ(cpu->Instructions, 4u);
}

// The two bytes below SP for what pushes, on the model that has it: the
// 8080's duplicates of CALL at DDH, EDH, FDH are the 8085's JNK, LHLX, JK;
// the 8080's JMP at CBH is the 8085's RSTV; its RET at D9H the 8085's SHLX,
// which stores at DE.
TEST(FindStoreAddresses, ForEachModel)
{
    const struct {
        CpuModel Model;
        std::uint8_t Opcode;
        int Count;
        std::uint16_t First;
    } rows[] = {
        {_8085, 0xCD, 2, 0x2FFF}, {_8085, 0xC4, 2, 0x2FFF}, {_8085, 0xC5, 2, 0x2FFF}, {_8085, 0xF5, 2, 0x2FFF},
        {_8085, 0xFF, 2, 0x2FFF}, {_8085, 0xCB, 2, 0x2FFF}, {_8085, 0xDD, 0, 0},      {_8085, 0xED, 0, 0},
        {_8085, 0xFD, 0, 0},      {_8085, 0xD9, 2, 0x1234}, {_8085, 0xC3, 0, 0},      {_8085, 0xC9, 0, 0},
        {_8080, 0xDD, 2, 0x2FFF}, {_8080, 0xED, 2, 0x2FFF}, {_8080, 0xFD, 2, 0x2FFF}, {_8080, 0xCB, 0, 0},
        {_8080, 0xD9, 0, 0},      {_8080, 0xFC, 2, 0x2FFF}, {_8080, 0xC7, 2, 0x2FFF}, {_8080, 0xE9, 0, 0},
    };
    for (const auto& row : rows) {
        auto cpu = MakeCpu(row.Model, {row.Opcode, 0x00, 0x20});
        cpu->SP = 0x3001;
        cpu->D = 0x12;
        cpu->E = 0x34;
        std::uint16_t addresses[2] = {};
        EXPECT_EQ(FindStoreAddresses(*cpu, addresses), row.Count) << int(row.Opcode);
        if (row.Count > 0) {
            EXPECT_TRUE(addresses[0] == row.First || addresses[1] == row.First) << int(row.Opcode);
        }
    }
}

} // namespace
