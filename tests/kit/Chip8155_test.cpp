// The 8155 against its data sheet: the command register bit assignment, the
// status register, port C's ALT 1-4, the timer's four modes and its
// start/stop commands.
#include "Chip8155.h"

#include <gtest/gtest.h>

#include <string>

namespace {

Chip8155 Fresh()
{
    Chip8155 chip;
    Reset8155(chip);
    return chip;
}

// The TIMER OUT levels after each of count pulses, as H and L.
std::string Wave(Chip8155& chip, int count)
{
    std::string wave;
    for (int i = 0; i < count; ++i) {
        Clock8155(chip, 1);
        wave += chip.Out ? 'H' : 'L';
    }
    return wave;
}

void StartTimer(Chip8155& chip, std::uint16_t length, std::uint8_t mode)
{
    Write8155(chip, 4, length & 0xFF);
    Write8155(chip, 5, static_cast<std::uint8_t>(((length >> 8) & 0x3F) | (mode << 6)));
    Write8155(chip, 0, 0xC0); // START
}

TEST(Chip8155, PortsFollowTheCommandRegister)
{
    Chip8155 chip = Fresh();
    chip.Pins[0] = 0x12;
    chip.Pins[1] = 0x34;
    chip.Pins[2] = 0x3F;
    EXPECT_EQ(Read8155(chip, 1), 0x12); // reset: inputs
    Write8155(chip, 0, 0x03);           // PA and PB outputs, PC ALT 1 (input)
    Write8155(chip, 1, 0xAA);
    Write8155(chip, 2, 0x55);
    EXPECT_EQ(ReadOutputPins8155(chip, 0), 0xAA);
    EXPECT_EQ(Read8155(chip, 2), 0x55);
    EXPECT_EQ(Read8155(chip, 3), 0x3F);
    Write8155(chip, 0, 0x0C); // PC ALT 2: output, six bits
    Write8155(chip, 3, 0xFF);
    EXPECT_EQ(ReadOutputPins8155(chip, 2), 0x3F);
}

TEST(Chip8155, StatusShowsTheInterruptEnables)
{
    Chip8155 chip = Fresh();
    Write8155(chip, 0, 0x30); // IEA, IEB
    EXPECT_EQ(Read8155(chip, 0), 0x24);
}

// ALT 3: PC0 A INTR, PC1 A BF, PC2 A STB. Status bits 0-2: INTR A, BF A, INTE A.
TEST(Chip8155, StrobedInputOnPortA)
{
    Chip8155 chip = Fresh();
    Write8155(chip, 0, 0x14); // ALT 3, IEA, PA input
    Strobe8155(chip, 0, 0x3C);
    EXPECT_EQ(Read8155(chip, 0), 0x07);
    EXPECT_EQ(Read8155(chip, 3) & 0x03, 0x03);
    EXPECT_EQ(Read8155(chip, 1), 0x3C);
    EXPECT_EQ(Read8155(chip, 0), 0x04);
}

TEST(Chip8155, RamKeepsItsContentsOverAReset)
{
    Chip8155 chip = Fresh();
    chip.Ram[0x42] = 0x99;
    Reset8155(chip);
    EXPECT_EQ(chip.Ram[0x42], 0x99);
}

// Timer modes (M2 M1): 00 single square wave, 01 continuous square wave,
// 10 single pulse on terminal count, 11 continuous pulses.
TEST(Chip8155, TimerWaveforms)
{
    struct Row {
        std::uint16_t Length;
        std::uint8_t Mode;
        const char* Wave;
    };
    const Row rows[] = {
        {4, 1, "HLLHHLLH"},   // half high, half low, again
        {5, 1, "HHLLHHHLLH"}, // odd: the high half is the longer
        {4, 0, "HLLHHHHH"},   // one cycle, then stopped high
        {3, 2, "HHLHHH"},     // one low pulse at terminal count
        {3, 3, "HHLHHLHHL"},  // a low pulse every terminal count
    };
    for (const auto& row : rows) {
        Chip8155 chip = Fresh();
        StartTimer(chip, row.Length, row.Mode);
        EXPECT_EQ(Wave(chip, static_cast<int>(std::string(row.Wave).size())), row.Wave)
            << "length " << row.Length << " mode " << int(row.Mode);
    }
}

TEST(Chip8155, TimerStatusLatchesAtTerminalCountAndReadingClearsIt)
{
    Chip8155 chip = Fresh();
    StartTimer(chip, 3, 1);
    Clock8155(chip, 2);
    EXPECT_EQ(Read8155(chip, 0) & 0x40, 0x00);
    Clock8155(chip, 1);
    EXPECT_EQ(Read8155(chip, 0) & 0x40, 0x40);
    EXPECT_EQ(Read8155(chip, 0) & 0x40, 0x00);
}

TEST(Chip8155, StopAndStopAfterTerminalCount)
{
    Chip8155 chip = Fresh();
    StartTimer(chip, 4, 1);
    Clock8155(chip, 1);
    Write8155(chip, 0, 0x40); // STOP
    EXPECT_FALSE(chip.Running);
    EXPECT_EQ(Wave(chip, 3), "HHH");

    chip = Fresh();
    StartTimer(chip, 4, 1);
    Clock8155(chip, 1);
    Write8155(chip, 0, 0x80); // STOP AFTER TC
    EXPECT_EQ(Wave(chip, 6), "LLHHHH");
    EXPECT_FALSE(chip.Running);
}

TEST(Chip8155, StartWhileRunningTakesTheNewLengthAtTerminalCount)
{
    Chip8155 chip = Fresh();
    StartTimer(chip, 4, 1);
    Clock8155(chip, 1);
    StartTimer(chip, 2, 1);
    EXPECT_EQ(Wave(chip, 5), "LLHLH");
}

TEST(Chip8155, TimerRegistersReadTheCountAndMode)
{
    Chip8155 chip = Fresh();
    StartTimer(chip, 0x0123, 1);
    Clock8155(chip, 2);
    EXPECT_EQ(Read8155(chip, 4), 0x21);
    EXPECT_EQ(Read8155(chip, 5), 0x41);
}

} // namespace
