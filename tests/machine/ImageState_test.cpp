#include "ImageState.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

namespace {

// The register state of the image builder's worked example, as the 24 bytes
// after memory: PC 2000, SP FFFE, A-L 12 34 56 00 FF 2C FF, S AC CY set.
const unsigned char _WorkedExample[24] = {
    0x00, 0x20, 0xFE, 0xFF, 0x12, 0x34, 0x56, 0x00, 0xFF, 0x2C, 0xFF, 0x34,
    0x56, 0x00, 0xFF, 0x2C, 0xFF, 0x91, 0x01, 0x00, 0x00, 0x01, 0x01, 0x00,
};

unsigned char* StateBytes(MachineImage& image)
{
    return reinterpret_cast<unsigned char*>(&image) + _MemorySize;
}

TEST(ApplyImage, WorkedExampleAndDisagreements)
{
    struct Row {
        std::size_t Offset; // into the 24 bytes
        unsigned char Value;
        const char* Warning; // nullptr: none
        std::uint8_t F;
        bool Ie;
    } rows[] = {
        {12, 0x57, "register pair BC holds 34 57 but B and C hold 34 56; B and C are used", 0x91, false},
        {13, 0x01, "register pair DE holds 01 FF but D and E hold 00 FF; D and E are used", 0x91, false},
        {16, 0x00, "register pair HL holds 2C 00 but H and L hold 2C FF; H and L are used", 0x91, false},
        {17, 0xB1, "FlagByte is B1 but the flags S Z AC P CY (1 0 1 0 1) make 91; the flags are used", 0x91, false},
        {18, 0x00, "FlagByte is 91 but the flags S Z AC P CY (0 0 1 0 1) make 11; the flags are used", 0x11, false},
        {20, 0x02, "FlagByte is 91 but the flags S Z AC P CY (1 1 1 0 1) make D1; the flags are used", 0xD1, false},
        {23, 0x02, "ExtraFlag is 02, neither 0 nor 1; interrupts start disabled", 0x91, false},
        {0, 0x00, nullptr, 0x91, false}, // the worked example as it is
        {23, 0x01, nullptr, 0x91, true},
    };
    for (const Row& row : rows) {
        static MachineImage image;
        static CpuState cpu;
        std::memcpy(StateBytes(image), _WorkedExample, sizeof _WorkedExample);
        StateBytes(image)[row.Offset] = row.Value;
        const std::vector<std::string> warnings = ApplyImage(image, cpu);
        if (row.Warning) {
            ASSERT_EQ(warnings.size(), 1u) << row.Offset;
            EXPECT_EQ(warnings[0], row.Warning);
        } else {
            EXPECT_TRUE(warnings.empty()) << row.Offset;
        }
        EXPECT_EQ(cpu.PC, 0x2000);
        EXPECT_EQ(cpu.SP, 0xFFFE); // Word2 -2, read unsigned
        const std::uint8_t registers[7] = {cpu.A, cpu.B, cpu.C, cpu.D, cpu.E, cpu.H, cpu.L};
        EXPECT_EQ(0, std::memcmp(registers, _WorkedExample + 4, 7));
        EXPECT_EQ(cpu.F, row.F) << row.Offset;
        EXPECT_EQ(cpu.IE, row.Ie) << row.Offset;
    }
}

TEST(StoreImage, WritesTheLayout)
{
    static CpuState cpu;
    static MachineImage image;
    cpu.Memory[0x1234] = 0x77;
    cpu.PC = 0x200F;
    cpu.SP = 0x3000;
    cpu.A = 1;
    cpu.B = 2;
    cpu.C = 3;
    cpu.D = 4;
    cpu.E = 5;
    cpu.H = 6;
    cpu.L = 7;
    cpu.F = 0xFF;             // K, V and bit 3 do not reach the image
    cpu.EnablePending = true; // EI just executed: saved as enabled
    StoreImage(cpu, image);
    const unsigned char expected[24] = {
        0x0F, 0x20, 0x00, 0x30, 1, 2, 3, 4, 5, 6, 7, 2, 3, 4, 5, 6, 7, 0xD5, 1, 1, 1, 1, 1, 1,
    };
    EXPECT_EQ(0, std::memcmp(StateBytes(image), expected, sizeof expected));
    EXPECT_EQ(image.Memory[0x1234], 0x77);
}

TEST(PlaceBytes, StopsAtTheEndOfMemory)
{
    struct Row {
        std::uint16_t Address;
        std::size_t Size;
        bool Placed;
    } rows[] = {
        {0xFFFE, 2, true}, {0xFFFE, 3, false}, {0x0000, 65536, true}, {0x0001, 65536, false}, {0xFFFF, 0, true},
    };
    for (const Row& row : rows) {
        static CpuState cpu;
        std::memset(cpu.Memory, 0, sizeof cpu.Memory);
        EXPECT_EQ(PlaceBytes(cpu, row.Address, std::string(row.Size, '\x5A')), row.Placed) << row.Address;
        const std::uint8_t expected = row.Placed && row.Size > 0 ? 0x5A : 0x00;
        EXPECT_EQ(cpu.Memory[0xFFFF], expected) << row.Address;
    }
}

// What the options do to the first state once memory is loaded.
TEST(FinishFirstState, CpmThenPcAndSp)
{
    struct Row {
        const char* Name;
        bool Cpm;
        bool HasImage;
        std::optional<std::uint16_t> Pc, Sp;
        std::uint16_t WantPc, WantSp;
    } const rows[] = {
        {"nothing to do", false, true, {}, {}, 0x2000, 0x3000},
        {"CP/M without an image starts at 0100H", true, false, {}, {}, 0x0100, 0xFDFE}, // a return to 0000H below the BDOS entry
        {"CP/M keeps an image's PC", true, true, {}, {}, 0x2000, 0xFDFE},
        {"--pc and --sp win", true, false, 0x4000, 0x5000, 0x4000, 0x5000},
    };
    for (const Row& row : rows) {
        static CpuState cpu;
        ResetCpu(cpu, CpuModel::I8080);
        cpu.PC = 0x2000;
        cpu.SP = 0x3000;
        MachineOptions options;
        options.Cpm = row.Cpm;
        options.Pc = row.Pc;
        options.Sp = row.Sp;
        FinishFirstState(cpu, options, row.HasImage);
        EXPECT_EQ(cpu.PC, row.WantPc) << row.Name;
        EXPECT_EQ(cpu.SP, row.WantSp) << row.Name;
        EXPECT_EQ(cpu.Memory[0x0005] != 0, row.Cpm) << row.Name; // the BDOS entry's jump
    }
}

} // namespace
