// The 8251A against its data sheet: the mode instruction format (baud rate
// factor, character length, parity, stop bits), the command instruction
// format and the status read format.
#include "Chip8251.h"

#include <gtest/gtest.h>

namespace {

// Mode 4EH: asynchronous, x16, 8 bits, no parity, 1 stop bit.
// Command 37H: TxEN, DTR, RxE, ER, RTS.
Chip8251 Console()
{
    Chip8251 chip;
    Reset8251(chip);
    Write8251(chip, 1, 0x4E);
    Write8251(chip, 1, 0x37);
    return chip;
}

TEST(Chip8251, StatusAfterSetUp)
{
    Chip8251 chip = Console();
    EXPECT_EQ(Read8251(chip, 1), 0x05); // TxRDY, TxEMPTY
    EXPECT_TRUE(IsTxReadyPin8251(chip));
}

TEST(Chip8251, SendingACharacter)
{
    Chip8251 chip = Console();
    Write8251(chip, 0, 'H');
    EXPECT_EQ(Read8251(chip, 1), 0x01); // the buffer passed it on: TxRDY, not TxEMPTY
    Write8251(chip, 0, 'i');
    EXPECT_EQ(Read8251(chip, 1), 0x00);
    EXPECT_FALSE(IsTxReadyPin8251(chip));
    Clock8251(chip, 159);
    EXPECT_EQ(chip.Sent, "");
    Clock8251(chip, 1);
    EXPECT_EQ(chip.Sent, "H");
    Clock8251(chip, 160);
    EXPECT_EQ(chip.Sent, "Hi");
    EXPECT_EQ(Read8251(chip, 1), 0x05);
}

// Pulses a character takes: factor x (start + bits + parity + stop).
TEST(Chip8251, CharacterTimeFollowsTheModeInstruction)
{
    struct Row {
        std::uint8_t Mode;
        std::uint64_t Pulses;
    };
    const Row rows[] = {
        {0x4E, 160}, // x16, 8 bits, 1 stop
        {0xCE, 176}, // x16, 8 bits, 2 stop
        {0x8E, 168}, // x16, 8 bits, 1.5 stop
        {0x5E, 176}, // x16, 8 bits, odd parity, 1 stop
        {0x4F, 640}, // x64
        {0x4D, 10},  // x1
        {0x42, 112}, // x16, 5 bits
    };
    for (const auto& row : rows) {
        Chip8251 chip;
        Reset8251(chip);
        Write8251(chip, 1, row.Mode);
        EXPECT_EQ(CountCharacterPulses8251(chip), row.Pulses) << std::hex << int(row.Mode);
    }
}

TEST(Chip8251, ReceivingAndOverrun)
{
    Chip8251 chip = Console();
    Receive8251(chip, 'a');
    EXPECT_EQ(Read8251(chip, 1), 0x07);
    EXPECT_TRUE(IsRxReadyPin8251(chip));
    EXPECT_EQ(Read8251(chip, 0), 'a');
    EXPECT_EQ(Read8251(chip, 1), 0x05);
    Receive8251(chip, 'b');
    Receive8251(chip, 'c');
    EXPECT_EQ(Read8251(chip, 1), 0x17); // OE
    EXPECT_EQ(Read8251(chip, 0), 'c');
    Write8251(chip, 1, 0x37); // ER resets the error flags
    EXPECT_EQ(Read8251(chip, 1), 0x05);
}

TEST(Chip8251, ShortCharactersAreMasked)
{
    Chip8251 chip;
    Reset8251(chip);
    Write8251(chip, 1, 0x4A); // x16, 7 bits
    Write8251(chip, 1, 0x05);
    Receive8251(chip, 0xC1);
    EXPECT_EQ(Read8251(chip, 0), 0x41);
}

TEST(Chip8251, NothingIsSentWithoutTxEnable)
{
    Chip8251 chip;
    Reset8251(chip);
    Write8251(chip, 1, 0x4E);
    Write8251(chip, 1, 0x36); // no TxEN
    Write8251(chip, 0, 'x');
    EXPECT_EQ(Read8251(chip, 1), 0x00);
    Clock8251(chip, 1000);
    EXPECT_EQ(chip.Sent, "");
    Write8251(chip, 1, 0x37);
    Clock8251(chip, 160);
    EXPECT_EQ(chip.Sent, "x");
}

TEST(Chip8251, InternalResetExpectsAModeInstructionAgain)
{
    Chip8251 chip = Console();
    Write8251(chip, 1, 0x40);
    EXPECT_EQ(chip.Expect, Expect8251::Mode);
    Write8251(chip, 1, 0x4F);
    EXPECT_EQ(chip.ModeWord, 0x4F);
}

// Synchronous mode: the mode word, one or two sync characters, then commands.
TEST(Chip8251, SyncModeTakesSyncCharacters)
{
    Chip8251 chip;
    Reset8251(chip);
    Write8251(chip, 1, 0x0C); // sync, 8 bits, two sync characters
    Write8251(chip, 1, 0x16);
    EXPECT_EQ(chip.Expect, Expect8251::SecondSync);
    Write8251(chip, 1, 0x16);
    EXPECT_EQ(chip.Expect, Expect8251::Command);

    Reset8251(chip);
    Write8251(chip, 1, 0x8C); // single sync character
    Write8251(chip, 1, 0x16);
    EXPECT_EQ(chip.Expect, Expect8251::Command);
}

} // namespace
