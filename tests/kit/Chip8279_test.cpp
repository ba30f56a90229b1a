// The 8279 against its data sheet: the command words (mode set, read FIFO,
// read and write display RAM, inhibit/blank, clear), auto-increment, the
// FIFO status word and IRQ, left and right entry.
#include "Chip8279.h"

#include <gtest/gtest.h>

namespace {

Chip8279 Fresh()
{
    Chip8279 chip;
    Reset8279(chip);
    return chip;
}

TEST(Chip8279, WriteDisplayWithAutoIncrement)
{
    Chip8279 chip = Fresh();
    Write8279(chip, 1, 0x90); // write display RAM, AI, address 0
    for (std::uint8_t value : {0x11, 0x22, 0x33})
        Write8279(chip, 0, value);
    EXPECT_EQ(chip.Display[0], 0x11);
    EXPECT_EQ(chip.Display[1], 0x22);
    EXPECT_EQ(chip.Display[2], 0x33);
    Write8279(chip, 1, 0x85); // address 5, no AI
    Write8279(chip, 0, 0x44);
    Write8279(chip, 0, 0x55);
    EXPECT_EQ(chip.Display[5], 0x55);
    EXPECT_EQ(chip.Display[6], 0x00);
}

TEST(Chip8279, ReadDisplayWithAutoIncrement)
{
    Chip8279 chip = Fresh();
    chip.Display[3] = 0xA1;
    chip.Display[4] = 0xB2;
    Write8279(chip, 1, 0x73); // read display RAM, AI, address 3
    EXPECT_EQ(Read8279(chip, 0), 0xA1);
    EXPECT_EQ(Read8279(chip, 0), 0xB2);
}

// Status: DU, S/E, O, U, F, then the number of characters in the FIFO.
TEST(Chip8279, FifoStatusAndInterrupt)
{
    Chip8279 chip = Fresh();
    EXPECT_EQ(Read8279(chip, 1), 0x00);
    EXPECT_FALSE(chip.Irq);
    PressKey8279(chip, 0x05);
    PressKey8279(chip, 0x0A);
    EXPECT_EQ(Read8279(chip, 1), 0x02);
    EXPECT_TRUE(chip.Irq);
    Write8279(chip, 1, 0x40); // read FIFO
    EXPECT_EQ(Read8279(chip, 0), 0x05);
    EXPECT_TRUE(chip.Irq);
    EXPECT_EQ(Read8279(chip, 0), 0x0A);
    EXPECT_FALSE(chip.Irq);
    EXPECT_EQ(Read8279(chip, 1), 0x00);
    Read8279(chip, 0); // a read of the empty FIFO
    EXPECT_EQ(Read8279(chip, 1), 0x10);
}

TEST(Chip8279, FullFifoAndOverrun)
{
    Chip8279 chip = Fresh();
    for (int key = 0; key < 8; ++key)
        PressKey8279(chip, static_cast<std::uint8_t>(key));
    EXPECT_EQ(Read8279(chip, 1), 0x08);
    PressKey8279(chip, 0x3F);
    EXPECT_EQ(Read8279(chip, 1), 0x28);
    Write8279(chip, 1, 0x40);
    EXPECT_EQ(Read8279(chip, 0), 0x00); // the first in, not the lost one
}

// Clear: 110 CD CD CD CF CA. CD 0X: all zeros, 10: 20H, 11: all ones.
TEST(Chip8279, ClearCommand)
{
    struct Row {
        std::uint8_t Command;
        std::uint8_t Display; // each cell after the command
        bool FifoCleared;
    };
    const Row rows[] = {
        {0xD0, 0x00, false}, {0xD8, 0x20, false}, {0xDC, 0xFF, false},
        {0xC2, 0x77, true},  {0xC1, 0x00, true},  {0xCD, 0xFF, true},
    };
    for (const auto& row : rows) {
        Chip8279 chip = Fresh();
        for (auto& cell : chip.Display)
            cell = 0x77;
        PressKey8279(chip, 1);
        Write8279(chip, 1, row.Command);
        EXPECT_EQ(chip.Display[9], row.Display) << std::hex << int(row.Command);
        EXPECT_EQ(chip.FifoCount == 0, row.FifoCleared) << std::hex << int(row.Command);
    }
}

// Mode set: 000 DD KKK. DD: 00 8 digits left, 01 16 left, 10 8 right,
// 11 16 right. KKK odd: decoded scan (4 digits).
TEST(Chip8279, ModeSetDigitsAndScan)
{
    struct Row {
        std::uint8_t Command;
        int Digits;
        bool Decoded;
        bool Right;
    };
    const Row rows[] = {{0x00, 8, false, false}, {0x08, 16, false, false}, {0x10, 8, false, true},
                        {0x18, 16, false, true}, {0x01, 4, true, false},   {0x03, 4, true, false},
                        {0x02, 8, false, false}, {0x07, 4, true, false}};
    for (const auto& row : rows) {
        Chip8279 chip = Fresh();
        Write8279(chip, 1, row.Command);
        EXPECT_EQ(CountDigits8279(chip), row.Digits) << std::hex << int(row.Command);
        EXPECT_EQ(IsDecodedScan8279(chip), row.Decoded);
        EXPECT_EQ(IsRightEntry8279(chip), row.Right);
    }
}

TEST(Chip8279, RightEntryShiftsTheDigitsLeft)
{
    Chip8279 chip = Fresh();
    Write8279(chip, 1, 0x10); // 8 digits, right entry
    Write8279(chip, 1, 0x90);
    Write8279(chip, 0, 0x01);
    Write8279(chip, 0, 0x02);
    EXPECT_EQ(chip.Display[7], 0x02);
    EXPECT_EQ(chip.Display[6], 0x01);
    EXPECT_EQ(chip.Display[0], 0x00);
}

// 101 X IW-A IW-B BL-A BL-B; A is the high nibble (OUT A3-A0).
TEST(Chip8279, InhibitAndBlank)
{
    Chip8279 chip = Fresh();
    Write8279(chip, 1, 0xA8); // inhibit A
    Write8279(chip, 1, 0x80);
    Write8279(chip, 0, 0x5A);
    EXPECT_EQ(chip.Display[0], 0x0A);
    Write8279(chip, 1, 0xA0);
    Write8279(chip, 0, 0x5A);
    EXPECT_EQ(chip.Display[0], 0x5A);
    Write8279(chip, 1, 0xA3); // blank both
    EXPECT_EQ(ReadShownDigit8279(chip, 0), 0x00);
    Write8279(chip, 1, 0xA1); // blank B only
    EXPECT_EQ(ReadShownDigit8279(chip, 0), 0x50);
}

} // namespace
