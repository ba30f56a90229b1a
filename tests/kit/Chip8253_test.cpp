// The 8253 and 8254 against their data sheet: the control word format, the
// six modes' OUT waveforms, BCD counting, the counter latch command and the
// 8254's read-back command and status byte.
#include "Chip8253.h"

#include <gtest/gtest.h>

#include <string>

namespace {

Chip8253 Fresh(bool is8254 = true)
{
    Chip8253 chip;
    Reset8253(chip, is8254);
    return chip;
}

// OUT 0 after each of count clocks, as H and L.
std::string Wave(Chip8253& chip, int count)
{
    std::string wave;
    for (int i = 0; i < count; ++i) {
        Clock8253(chip, 0, 1);
        wave += chip.Counters[0].Out ? 'H' : 'L';
    }
    return wave;
}

void Program(Chip8253& chip, std::uint8_t control, std::uint16_t count)
{
    Write8253(chip, 3, control);
    Write8253(chip, 0, count & 0xFF);
    Write8253(chip, 0, count >> 8);
}

// Counter 0, LSB then MSB, binary; the mode in bits 3-1. The first clock
// after the count is written loads it.
TEST(Chip8253, ModeWaveforms)
{
    struct Row {
        std::uint8_t Control;
        std::uint16_t Count;
        bool OutAfterControl;
        const char* Wave;
    };
    const Row rows[] = {
        {0x30, 4, false, "LLLLHHH"},   // mode 0: high N+1 clocks after the write, and stays
        {0x34, 3, true, "HHLHHLHHL"},  // mode 2: low for one clock in every N
        {0x36, 4, true, "HHLLHHLL"},   // mode 3: N/2 high, N/2 low
        {0x36, 5, true, "HHHLLHHHLL"}, // mode 3, odd: (N+1)/2 high, (N-1)/2 low
        {0x38, 3, true, "HHHLHHH"},    // mode 4: one low clock when the count reaches 0
        {0x3C, 4, true, "HHHLHHHL"},   // M2 M1 M0 = 110 is mode 2 too
    };
    for (const auto& row : rows) {
        Chip8253 chip = Fresh();
        Write8253(chip, 3, row.Control);
        EXPECT_EQ(chip.Counters[0].Out, row.OutAfterControl) << std::hex << int(row.Control);
        Write8253(chip, 0, row.Count & 0xFF);
        Write8253(chip, 0, row.Count >> 8);
        const std::string expected = row.Wave;
        EXPECT_EQ(Wave(chip, static_cast<int>(expected.size())), expected) << std::hex << int(row.Control);
    }
}

// Modes 1 and 5 start on a rising edge of GATE.
TEST(Chip8253, GateTriggeredModes)
{
    Chip8253 chip = Fresh();
    Program(chip, 0x32, 3); // mode 1: a one-shot N clocks long
    EXPECT_EQ(Wave(chip, 2), "HH");
    SetGate8253(chip, 0, false);
    SetGate8253(chip, 0, true);
    EXPECT_EQ(Wave(chip, 5), "LLLHH");
    SetGate8253(chip, 0, false);
    SetGate8253(chip, 0, true); // retriggered
    EXPECT_EQ(Wave(chip, 4), "LLLH");

    chip = Fresh();
    Program(chip, 0x3A, 3); // mode 5: a strobe N+1 clocks after the trigger
    EXPECT_EQ(Wave(chip, 2), "HH");
    SetGate8253(chip, 0, false);
    SetGate8253(chip, 0, true);
    EXPECT_EQ(Wave(chip, 6), "HHHLHH");
}

TEST(Chip8253, GateLowHoldsTheCount)
{
    Chip8253 chip = Fresh();
    Program(chip, 0x30, 3);
    Clock8253(chip, 0, 1); // loaded
    SetGate8253(chip, 0, false);
    Clock8253(chip, 0, 10);
    EXPECT_FALSE(chip.Counters[0].Out);
    SetGate8253(chip, 0, true);
    EXPECT_EQ(Wave(chip, 3), "LLH");
}

TEST(Chip8253, BcdCountsInDecimal)
{
    Chip8253 chip = Fresh();
    Program(chip, 0x31, 0x1000); // mode 0, BCD: 1000
    Clock8253(chip, 0, 2);       // loaded, then one count
    EXPECT_EQ(Read8253(chip, 0), 0x99);
    EXPECT_EQ(Read8253(chip, 0), 0x09);
}

TEST(Chip8253, BcdZeroIsTenThousand)
{
    Chip8253 chip = Fresh();
    Program(chip, 0x31, 0x0000);
    Clock8253(chip, 0, 2);
    EXPECT_EQ(Read8253(chip, 0), 0x99);
    EXPECT_EQ(Read8253(chip, 0), 0x99);
}

TEST(Chip8253, ReadLoadLsbOnlyAndMsbOnly)
{
    Chip8253 chip = Fresh();
    Write8253(chip, 3, 0x10); // LSB only, mode 0
    Write8253(chip, 0, 0x05);
    Clock8253(chip, 0, 1);
    EXPECT_EQ(Read8253(chip, 0), 0x05);
    Write8253(chip, 3, 0x20); // MSB only
    Write8253(chip, 0, 0x02);
    Clock8253(chip, 0, 2);
    EXPECT_EQ(Read8253(chip, 0), 0x01); // 0200H less one is 01FFH: the high byte
}

TEST(Chip8253, CounterLatchHoldsTheCountUntilRead)
{
    Chip8253 chip = Fresh();
    Program(chip, 0x34, 0x1234);
    Clock8253(chip, 0, 3);    // loaded, then two counts: 1232H
    Write8253(chip, 3, 0x00); // latch counter 0
    Clock8253(chip, 0, 5);
    Write8253(chip, 3, 0x00); // a second latch before the read is ignored
    EXPECT_EQ(Read8253(chip, 0), 0x32);
    EXPECT_EQ(Read8253(chip, 0), 0x12);
    EXPECT_EQ(Read8253(chip, 0), 0x2D); // unlatched again: 122DH
}

// Read-back: 11, COUNT (0 latches), STATUS (0 latches), CNT 2, 1, 0, 0.
// Status: OUTPUT, NULL COUNT, then the counter's RW1 RW0 M2 M1 M0 BCD.
TEST(Chip8253, ReadBackStatusAndCount)
{
    Chip8253 chip = Fresh();
    Program(chip, 0x34, 0x0010);
    Write8253(chip, 3, 0xE2);           // status of counter 0
    EXPECT_EQ(Read8253(chip, 0), 0xF4); // OUT high, null count
    Clock8253(chip, 0, 1);
    Write8253(chip, 3, 0xE2);
    EXPECT_EQ(Read8253(chip, 0), 0xB4);
    Clock8253(chip, 0, 1);
    Write8253(chip, 3, 0xC2); // status and count
    EXPECT_EQ(Read8253(chip, 0), 0xB4);
    EXPECT_EQ(Read8253(chip, 0), 0x0F);
    EXPECT_EQ(Read8253(chip, 0), 0x00);
}

TEST(Chip8253, The8253HasNoReadBack)
{
    Chip8253 chip = Fresh(false);
    Program(chip, 0x34, 0x0010);
    Clock8253(chip, 0, 1);
    Write8253(chip, 3, 0xE2);
    EXPECT_EQ(Read8253(chip, 0), 0x10);
}

TEST(Chip8253, ANewCountInMode2WaitsForTheEndOfThePeriod)
{
    Chip8253 chip = Fresh();
    Program(chip, 0x34, 4);
    EXPECT_EQ(Wave(chip, 2), "HH");
    Write8253(chip, 0, 2);
    Write8253(chip, 0, 0);
    EXPECT_EQ(Wave(chip, 6), "HLHLHL");
}

} // namespace
