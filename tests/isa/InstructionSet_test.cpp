#include "InstructionSet.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace {

struct TimingRow {
    CpuModel Cpu;
    std::uint8_t Opcode;
    int Size;
    int States;
    int StatesTaken;
};

// Figures from the instruction timing tables of both processors' manuals.
const TimingRow _Timings[] = {
    {CpuModel::I8080, 0x41, 1, 5, 5},   {CpuModel::I8085, 0x41, 1, 4, 4},   // MOV B, C
    {CpuModel::I8080, 0x7E, 1, 7, 7},   {CpuModel::I8085, 0x77, 1, 7, 7},   // MOV A, M / MOV M, A
    {CpuModel::I8080, 0x76, 1, 7, 7},   {CpuModel::I8085, 0x76, 1, 5, 5},   // HLT
    {CpuModel::I8080, 0x34, 1, 10, 10}, {CpuModel::I8085, 0x04, 1, 4, 4},   // INR M / INR B
    {CpuModel::I8080, 0x03, 1, 5, 5},   {CpuModel::I8085, 0x2B, 1, 6, 6},   // INX B / DCX H
    {CpuModel::I8080, 0xC2, 3, 10, 10}, {CpuModel::I8085, 0xC2, 3, 7, 10},  // JNZ
    {CpuModel::I8080, 0xC4, 3, 11, 17}, {CpuModel::I8085, 0xFC, 3, 9, 18},  // CNZ / CM
    {CpuModel::I8080, 0xC8, 1, 5, 11},  {CpuModel::I8085, 0xC8, 1, 6, 12},  // RZ
    {CpuModel::I8080, 0xCD, 3, 17, 17}, {CpuModel::I8085, 0xCD, 3, 18, 18}, // CALL
    {CpuModel::I8080, 0xF5, 1, 11, 11}, {CpuModel::I8085, 0xF5, 1, 12, 12}, // PUSH PSW
    {CpuModel::I8080, 0xFF, 1, 11, 11}, {CpuModel::I8085, 0xFF, 1, 12, 12}, // RST 7
    {CpuModel::I8080, 0xE3, 1, 18, 18}, {CpuModel::I8085, 0xE3, 1, 16, 16}, // XTHL
    {CpuModel::I8080, 0xE9, 1, 5, 5},   {CpuModel::I8085, 0xF9, 1, 6, 6},   // PCHL / SPHL
    {CpuModel::I8085, 0x2A, 3, 16, 16}, {CpuModel::I8085, 0x3A, 3, 13, 13}, // LHLD / LDA
    {CpuModel::I8085, 0xDB, 2, 10, 10}, {CpuModel::I8085, 0x36, 2, 10, 10}, // IN / MVI M
    {CpuModel::I8085, 0x08, 1, 10, 10}, {CpuModel::I8085, 0x10, 1, 7, 7},   // DSUB / ARHL
    {CpuModel::I8085, 0x28, 2, 10, 10}, {CpuModel::I8085, 0xCB, 1, 6, 12},  // LDHI / RSTV
    {CpuModel::I8085, 0xDD, 3, 7, 10},  {CpuModel::I8085, 0xED, 1, 10, 10}, // JNK / LHLX
    {CpuModel::I8080, 0xCB, 3, 10, 10}, {CpuModel::I8080, 0xD9, 1, 10, 10}, // duplicates of JMP, RET
    {CpuModel::I8080, 0xFD, 3, 17, 17}, {CpuModel::I8080, 0x38, 1, 4, 4},   // duplicates of CALL, NOP
};

TEST(InstructionSet, SizesAndStatesFollowTheManuals)
{
    for (const TimingRow& row : _Timings) {
        const InstructionInfo& info = DescribeOpcode(row.Cpu, row.Opcode);
        SCOPED_TRACE(info.Mnemonic);
        EXPECT_EQ(info.Size, row.Size);
        EXPECT_EQ(info.States, row.States);
        EXPECT_EQ(info.StatesTaken, row.StatesTaken);
    }
}

// Every opcode that transfers control, written out by hand; every opcode
// not listed here runs on to the next instruction on that model, those that
// touch the stack or PC otherwise among them (HLT, XTHL, SPHL, PUSH, POP,
// the 8085's SHLX and LHLX where the 8080 has RET and CALL).
struct ControlRow {
    CpuModel Cpu;
    std::uint8_t Opcode;
    ControlKind Control;
    bool Conditional;
};

constexpr CpuModel _Both[] = {CpuModel::I8080, CpuModel::I8085};

// The same on both models.
const struct {
    std::uint8_t Opcode;
    ControlKind Control;
    bool Conditional;
} _SharedControl[] = {
    {0xCD, ControlKind::Call, false},                                         // CALL
    {0xC4, ControlKind::Call, true},                                          // CNZ
    {0xCC, ControlKind::Call, true},                                          // CZ
    {0xD4, ControlKind::Call, true},                                          // CNC
    {0xDC, ControlKind::Call, true},                                          // CC
    {0xE4, ControlKind::Call, true},                                          // CPO
    {0xEC, ControlKind::Call, true},                                          // CPE
    {0xF4, ControlKind::Call, true},                                          // CP
    {0xFC, ControlKind::Call, true},                                          // CM
    {0xC9, ControlKind::Return, false},                                       // RET
    {0xC0, ControlKind::Return, true},                                        // RNZ
    {0xC8, ControlKind::Return, true},                                        // RZ
    {0xD0, ControlKind::Return, true},                                        // RNC
    {0xD8, ControlKind::Return, true},                                        // RC
    {0xE0, ControlKind::Return, true},                                        // RPO
    {0xE8, ControlKind::Return, true},                                        // RPE
    {0xF0, ControlKind::Return, true},                                        // RP
    {0xF8, ControlKind::Return, true},                                        // RM
    {0xC3, ControlKind::Jump, false},                                         // JMP
    {0xC2, ControlKind::Jump, true},                                          // JNZ
    {0xCA, ControlKind::Jump, true},                                          // JZ
    {0xD2, ControlKind::Jump, true},                                          // JNC
    {0xDA, ControlKind::Jump, true},                                          // JC
    {0xE2, ControlKind::Jump, true},                                          // JPO
    {0xEA, ControlKind::Jump, true},                                          // JPE
    {0xF2, ControlKind::Jump, true},                                          // JP
    {0xFA, ControlKind::Jump, true},                                          // JM
    {0xE9, ControlKind::Jump, false},                                         // PCHL
    {0xC7, ControlKind::Restart, false}, {0xCF, ControlKind::Restart, false}, // RST 0, RST 1
    {0xD7, ControlKind::Restart, false}, {0xDF, ControlKind::Restart, false}, // RST 2, RST 3
    {0xE7, ControlKind::Restart, false}, {0xEF, ControlKind::Restart, false}, // RST 4, RST 5
    {0xF7, ControlKind::Restart, false}, {0xFF, ControlKind::Restart, false}, // RST 6, RST 7
};

// Where the models differ: the 8080's duplicates, the 8085's undocumented ones.
const ControlRow _ModelControl[] = {
    {CpuModel::I8080, 0xCB, ControlKind::Jump, false},   // JMP
    {CpuModel::I8080, 0xD9, ControlKind::Return, false}, // RET
    {CpuModel::I8080, 0xDD, ControlKind::Call, false},   // CALL
    {CpuModel::I8080, 0xED, ControlKind::Call, false},   // CALL
    {CpuModel::I8080, 0xFD, ControlKind::Call, false},   // CALL
    {CpuModel::I8085, 0xCB, ControlKind::Restart, true}, // RSTV: on V
    {CpuModel::I8085, 0xDD, ControlKind::Jump, true},    // JNK
    {CpuModel::I8085, 0xFD, ControlKind::Jump, true},    // JK
};

TEST(InstructionSet, SaysWhatEachOpcodeDoesToControl)
{
    for (const CpuModel cpu : _Both) {
        ControlRow expected[256];
        for (int opcode = 0; opcode < 256; ++opcode)
            expected[opcode] = {cpu, static_cast<std::uint8_t>(opcode), ControlKind::None, false};
        for (const auto& row : _SharedControl)
            expected[row.Opcode] = {cpu, row.Opcode, row.Control, row.Conditional};
        for (const ControlRow& row : _ModelControl) {
            if (row.Cpu == cpu)
                expected[row.Opcode] = row;
        }
        for (const ControlRow& row : expected) {
            const InstructionInfo& info = DescribeOpcode(cpu, row.Opcode);
            SCOPED_TRACE(std::string(cpu == CpuModel::I8085 ? "8085 " : "8080 ") + info.Mnemonic);
            EXPECT_EQ(info.Control, row.Control) << NameControlKind(info.Control);
            EXPECT_EQ(info.Conditional, row.Conditional);
        }
    }
    EXPECT_STREQ(NameControlKind(ControlKind::Restart), "restart");
}

TEST(InstructionSet, CountsRegisterOperands)
{
    EXPECT_EQ(CountRegisterOperands("MOV"), 2);
    EXPECT_EQ(CountRegisterOperands("STAX"), 1);
    EXPECT_EQ(CountRegisterOperands("SHLD"), 0);
    EXPECT_EQ(CountRegisterOperands("MOVE"), -1);
}

TEST(InstructionSet, FormatsInTheSourceSyntax)
{
    const struct {
        CpuModel Cpu;
        std::uint8_t Bytes[3];
        const char* Text;
    } rows[] = {
        {CpuModel::I8085, {0x3E, 0x0A, 0}, "MVI A, 0AH"},
        // A leading 0 exactly when the first digit is a letter: A is the first.
        {CpuModel::I8085, {0x3E, 0xA0, 0}, "MVI A, 0A0H"},
        {CpuModel::I8085, {0x3E, 0x9F, 0}, "MVI A, 9FH"},
        {CpuModel::I8085, {0xD3, 0xA0, 0}, "OUT 0A0H"},
        {CpuModel::I8085, {0x21, 0x00, 0xA0}, "LXI H, 0A000H"},
        {CpuModel::I8085, {0xC3, 0xFF, 0x9F}, "JMP 9FFFH"},
        {CpuModel::I8085, {0x21, 0x00, 0x20}, "LXI H, 2000H"},
        {CpuModel::I8085, {0xC3, 0x34, 0xF2}, "JMP 0F234H"},
        {CpuModel::I8085, {0x70, 0, 0}, "MOV M, B"},
        {CpuModel::I8085, {0xEF, 0, 0}, "RST 5"},
        {CpuModel::I8085, {0xD3, 0x01, 0}, "OUT 01H"},
        {CpuModel::I8085, {0x20, 0, 0}, "RIM"},
        {CpuModel::I8080, {0x20, 0, 0}, "NOP"},
        {CpuModel::I8080, {0xDD, 0x00, 0x01}, "CALL 0100H"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FormatInstruction(row.Cpu, row.Bytes), row.Text);
}

} // namespace

namespace {

// Pass 1 advances its counter by the sizes of the shipped table, so the
// encoded length of every mnemonic there must agree with it.
TEST(InstructionSet, AgreesWithTheShippedOpcodeTable)
{
    std::FILE* file = std::fopen(OPCODE_TABLE_PATH, "r");
    ASSERT_NE(file, nullptr);
    int count = 0;
    ASSERT_EQ(std::fscanf(file, "%d", &count), 1);
    for (int i = 0; i < count; ++i) {
        char mnemonic[16];
        int size = 0;
        ASSERT_EQ(std::fscanf(file, "%15s %d", mnemonic, &size), 2);
        SCOPED_TRACE(mnemonic);
        int opcode = -1;
        for (int candidate = 0; candidate < 256 && opcode < 0; ++candidate) {
            if (std::string_view(DescribeOpcode(CpuModel::I8085, candidate).Mnemonic) == mnemonic)
                opcode = candidate;
        }
        ASSERT_GE(opcode, 0);
        EXPECT_EQ(DescribeOpcode(CpuModel::I8085, opcode).Size, size);
    }
    std::fclose(file);
}

} // namespace
