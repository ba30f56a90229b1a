// The 8255 against its data sheet: the mode definition format, the bit
// set/reset format, and the status words of modes 1 and 2.
#include "Chip8255.h"

#include <gtest/gtest.h>

namespace {

Chip8255 WithControl(std::uint8_t control)
{
    Chip8255 chip;
    Reset8255(chip);
    Write8255(chip, 3, control);
    return chip;
}

// Mode 0: which of A, B, C upper, C lower are inputs, per control word.
struct Mode0Row {
    std::uint8_t Control;
    bool AIn, BIn, CUpperIn, CLowerIn;
};

TEST(Chip8255, Mode0DirectionsFollowTheControlWord)
{
    const Mode0Row rows[] = {
        {0x80, false, false, false, false}, {0x81, false, false, false, true}, {0x82, false, true, false, false},
        {0x88, false, false, true, false},  {0x90, true, false, false, false}, {0x89, false, false, true, true},
        {0x92, true, true, false, false},   {0x9B, true, true, true, true},
    };
    for (const auto& row : rows) {
        Chip8255 chip = WithControl(row.Control);
        chip.Pins[0] = 0x11;
        chip.Pins[1] = 0x22;
        chip.Pins[2] = 0x3C;
        Write8255(chip, 0, 0xA5);
        Write8255(chip, 1, 0x5A);
        Write8255(chip, 2, 0xC3);
        SCOPED_TRACE(row.Control);
        EXPECT_EQ(Read8255(chip, 0), row.AIn ? 0x11 : 0xA5);
        EXPECT_EQ(Read8255(chip, 1), row.BIn ? 0x22 : 0x5A);
        const std::uint8_t upper = row.CUpperIn ? 0x30 : 0xC0;
        const std::uint8_t lower = row.CLowerIn ? 0x0C : 0x03;
        EXPECT_EQ(Read8255(chip, 2), upper | lower);
        EXPECT_EQ(ReadOutputPins8255(chip, 0), row.AIn ? 0x00 : 0xA5);
    }
}

TEST(Chip8255, ResetMakesEveryPortAnInput)
{
    Chip8255 chip;
    Reset8255(chip);
    chip.Pins[0] = 0x42;
    EXPECT_EQ(Read8255(chip, 0), 0x42);
    EXPECT_EQ(ReadOutputPins8255(chip, 0), 0x00);
}

TEST(Chip8255, AModeWordClearsTheOutputLatches)
{
    Chip8255 chip = WithControl(0x80);
    Write8255(chip, 0, 0xFF);
    Write8255(chip, 2, 0xFF);
    Write8255(chip, 3, 0x80);
    EXPECT_EQ(ReadOutputPins8255(chip, 0), 0x00);
    EXPECT_EQ(ReadOutputPins8255(chip, 2), 0x00);
}

// Bit set/reset: D7 = 0, D3-D1 the bit, D0 set (1) or reset (0).
TEST(Chip8255, BitSetResetChangesOneBitOfPortC)
{
    struct Row {
        std::uint8_t Word;
        std::uint8_t PortC;
    };
    const Row rows[] = {{0x0F, 0x80}, {0x01, 0x81}, {0x07, 0x89}, {0x0E, 0x09}, {0x00, 0x08}, {0x06, 0x00}};
    Chip8255 chip = WithControl(0x80);
    for (const auto& row : rows) {
        Write8255(chip, 3, row.Word);
        EXPECT_EQ(ReadOutputPins8255(chip, 2), row.PortC) << std::hex << int(row.Word);
    }
}

// Mode 1, port A input (control B0H): PC4 STB, PC5 IBF, PC3 INTR; INTE A
// is set by bit set of PC4 and reads back at bit 4.
TEST(Chip8255, Mode1InputHandshake)
{
    Chip8255 chip = WithControl(0xB0);
    EXPECT_EQ(Read8255(chip, 2) & 0x38, 0x00);
    Write8255(chip, 3, 0x09); // set PC4: INTE A
    EXPECT_EQ(Read8255(chip, 2) & 0x38, 0x10);
    Strobe8255(chip, 0, 0x5A);
    EXPECT_EQ(Read8255(chip, 2) & 0x38, 0x38); // IBF, INTE, INTR
    EXPECT_TRUE(IsRequesting8255(chip, 0));
    EXPECT_EQ(Read8255(chip, 0), 0x5A);
    EXPECT_EQ(Read8255(chip, 2) & 0x38, 0x10); // the read cleared IBF and INTR
    EXPECT_FALSE(IsRequesting8255(chip, 0));
}

// Mode 1, port A output (control A0H): PC7 OBF (active low), PC6 ACK with
// INTE A, PC3 INTR.
TEST(Chip8255, Mode1OutputHandshake)
{
    Chip8255 chip = WithControl(0xA0);
    EXPECT_EQ(Read8255(chip, 2) & 0xC8, 0x80);
    Write8255(chip, 3, 0x0D); // set PC6: INTE A
    EXPECT_EQ(Read8255(chip, 2) & 0xC8, 0xC8);
    Write8255(chip, 0, 0x12);
    EXPECT_EQ(Read8255(chip, 2) & 0xC8, 0x40); // OBF low, INTR cleared by the write
    EXPECT_EQ(ReadOutputPins8255(chip, 0), 0x12);
    Acknowledge8255(chip, 0);
    EXPECT_EQ(Read8255(chip, 2) & 0xC8, 0xC8);
}

// Mode 1, port B input (control 86H): PC2 STB with INTE B, PC1 IBF, PC0 INTR.
TEST(Chip8255, Mode1InputOnPortB)
{
    Chip8255 chip = WithControl(0x86);
    Write8255(chip, 3, 0x05); // set PC2: INTE B
    Strobe8255(chip, 1, 0x77);
    EXPECT_EQ(Read8255(chip, 2) & 0x07, 0x07);
    EXPECT_EQ(Read8255(chip, 1), 0x77);
    EXPECT_EQ(Read8255(chip, 2) & 0x07, 0x04);
}

// Mode 2 (control C0H): PC7 OBF, PC6 INTE 1, PC5 IBF, PC4 INTE 2, PC3 INTR.
TEST(Chip8255, Mode2BidirectionalHandshake)
{
    Chip8255 chip = WithControl(0xC0);
    EXPECT_EQ(Read8255(chip, 2) & 0xF8, 0x80);
    Write8255(chip, 3, 0x09); // INTE 2
    Strobe8255(chip, 0, 0x3C);
    EXPECT_EQ(Read8255(chip, 2) & 0xF8, 0xB8);
    EXPECT_EQ(Read8255(chip, 0), 0x3C);
    Write8255(chip, 0, 0x99);
    EXPECT_EQ(Read8255(chip, 2) & 0xF8, 0x10);
    EXPECT_EQ(DecodeGroupAMode(chip), 2);
}

TEST(Chip8255, BitSetResetLeavesHandshakeBitsAlone)
{
    Chip8255 chip = WithControl(0xB0);
    Write8255(chip, 3, 0x0B); // set PC5, which is IBF A here
    EXPECT_EQ(Read8255(chip, 2) & 0x20, 0x00);
    Write8255(chip, 3, 0x0F); // PC7 is an output line in this mode
    EXPECT_EQ(ReadOutputPins8255(chip, 2) & 0x80, 0x80);
}

} // namespace
