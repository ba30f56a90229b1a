// The register table against rows written out by hand, and each row reading
// and writing the place in the processor state it names.
#include "Registers.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

struct ExpectedRow {
    const char* Name;
    RegisterKind Kind;
    int Bits;
    bool Only8085;
    unsigned Value; // read from the state MakeState gives
};

// A state whose every register differs from the others.
std::unique_ptr<CpuState> MakeState(CpuModel model)
{
    auto cpu = std::make_unique<CpuState>();
    ResetCpu(*cpu, model);
    cpu->PC = 0x1234;
    cpu->SP = 0xFEDC;
    cpu->A = 0xA1;
    cpu->B = 0xB2;
    cpu->C = 0xC3;
    cpu->D = 0xD4;
    cpu->E = 0xE5;
    cpu->H = 0x46;
    cpu->L = 0x57;
    cpu->F = 0x80 | 0x20 | 0x04 | 0x01; // S, K, P, CY
    return cpu;
}

// A to L and F, to compare.
std::string Bytes(const CpuState& cpu)
{
    return {static_cast<char>(cpu.A), static_cast<char>(cpu.B), static_cast<char>(cpu.C), static_cast<char>(cpu.D),
            static_cast<char>(cpu.E), static_cast<char>(cpu.H), static_cast<char>(cpu.L), static_cast<char>(cpu.F)};
}

const ExpectedRow _Rows[] = {
    {"PC", RegisterKind::Register, 16, false, 0x1234},
    {"SP", RegisterKind::Register, 16, false, 0xFEDC},
    {"A", RegisterKind::Register, 8, false, 0xA1},
    {"B", RegisterKind::Register, 8, false, 0xB2},
    {"C", RegisterKind::Register, 8, false, 0xC3},
    {"D", RegisterKind::Register, 8, false, 0xD4},
    {"E", RegisterKind::Register, 8, false, 0xE5},
    {"H", RegisterKind::Register, 8, false, 0x46},
    {"L", RegisterKind::Register, 8, false, 0x57},
    {"BC", RegisterKind::Pair, 16, false, 0xB2C3},
    {"DE", RegisterKind::Pair, 16, false, 0xD4E5},
    {"HL", RegisterKind::Pair, 16, false, 0x4657},
    {"PSW", RegisterKind::Pair, 16, false, 0xA1A5}, // the flag byte as PUSH PSW pushes it on the 8085
    {"S", RegisterKind::Flag, 1, false, 1},
    {"Z", RegisterKind::Flag, 1, false, 0},
    {"AC", RegisterKind::Flag, 1, false, 0},
    {"P", RegisterKind::Flag, 1, false, 1},
    {"CY", RegisterKind::Flag, 1, false, 1},
    {"V", RegisterKind::Flag, 1, true, 0},
    {"K", RegisterKind::Flag, 1, true, 1},
};

TEST(Registers, TheTableHoldsTheseRowsInThisOrder)
{
    const auto cpu = MakeState(CpuModel::I8085);
    const auto table = ListRegisters();
    ASSERT_EQ(table.size(), std::size(_Rows));
    for (std::size_t i = 0; i < table.size(); ++i) {
        const ExpectedRow& expected = _Rows[i];
        const RegisterInfo& row = table[i];
        SCOPED_TRACE(expected.Name);
        EXPECT_STREQ(row.Name, expected.Name);
        EXPECT_EQ(row.Kind, expected.Kind);
        EXPECT_EQ(row.Bits, expected.Bits);
        EXPECT_EQ(row.Only8085, expected.Only8085);
        EXPECT_EQ(row.Read(*cpu), expected.Value);
        EXPECT_NE(row.Write, nullptr);
        EXPECT_EQ(FindRegisterInfo(expected.Name), &row);
    }
    EXPECT_EQ(FindRegisterInfo("F"), nullptr);
    EXPECT_EQ(FindRegisterInfo("a"), nullptr); // names are matched exactly
}

TEST(Registers, EachWriteChangesWhatItNamesAndNothingElse)
{
    const struct {
        const char* Name;
        unsigned Value;
        void (*Expect)(CpuState& cpu); // sets the expected state by hand
    } rows[] = {
        {"PC", 0x2000, [](CpuState& c) { c.PC = 0x2000, c.Halted = false; }},
        {"SP", 0x3000, [](CpuState& c) { c.SP = 0x3000; }},
        {"A", 0x01, [](CpuState& c) { c.A = 0x01; }},
        {"L", 0xFF, [](CpuState& c) { c.L = 0xFF; }},
        {"BC", 0x0102, [](CpuState& c) { c.B = 0x01, c.C = 0x02; }},
        {"DE", 0x0304, [](CpuState& c) { c.D = 0x03, c.E = 0x04; }},
        {"HL", 0x0506, [](CpuState& c) { c.H = 0x05, c.L = 0x06; }},
        {"PSW", 0x07D7, [](CpuState& c) { c.A = 0x07, c.F = 0xD7; }},
        {"Z", 1, [](CpuState& c) { c.F |= 0x40; }},
        {"S", 0, [](CpuState& c) { c.F &= ~0x80; }},
        {"CY", 0, [](CpuState& c) { c.F &= ~0x01; }},
        {"AC", 1, [](CpuState& c) { c.F |= 0x10; }},
        {"V", 1, [](CpuState& c) { c.F |= 0x02; }},
        {"K", 0, [](CpuState& c) { c.F &= ~0x20; }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        const auto written = MakeState(CpuModel::I8085);
        const auto expected = MakeState(CpuModel::I8085);
        written->Halted = expected->Halted = true;
        FindRegisterInfo(row.Name)->Write(*written, row.Value);
        row.Expect(*expected);
        EXPECT_EQ(FindRegisterInfo(row.Name)->Read(*written), row.Value);
        EXPECT_EQ(written->PC, expected->PC);
        EXPECT_EQ(written->SP, expected->SP);
        EXPECT_EQ(written->Halted, expected->Halted);
        EXPECT_EQ(Bytes(*written), Bytes(*expected));
    }
}

TEST(Registers, The8080HasNoVOrK)
{
    for (const RegisterInfo& row : ListRegisters()) {
        const bool named = std::string(row.Name) == "V" || std::string(row.Name) == "K";
        EXPECT_EQ(HasRegister(row, CpuModel::I8080), !named) << row.Name;
        EXPECT_TRUE(HasRegister(row, CpuModel::I8085)) << row.Name;
    }
    // The 8080 pushes bit 1 set and bits 3 and 5 clear.
    const auto cpu = MakeState(CpuModel::I8080);
    EXPECT_EQ(FindRegisterInfo("PSW")->Read(*cpu), 0xA187u);
}

} // namespace
