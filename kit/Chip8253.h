// The 8253 and 8254 programmable interval timers: three 16-bit down counters,
// each with a control word (select, read/load, mode, BCD), the six modes, the
// counter latch command and, on the 8254, the read-back command. Registers:
// 0, 1, 2 the counters, 3 the control word (write only).
#pragma once

#include <cstdint>

struct Counter8253 {
    std::uint8_t Control = 0;   // bits 5-0 of its last control word: RW1 RW0 M2 M1 M0 BCD
    std::uint16_t Written = 0;  // the count as the program wrote it (BCD digits in BCD mode)
    bool WriteMsbNext = false;  // RW 11: the next write is the high byte
    bool ReadMsbNext = false;   // RW 11: the next read is the high byte
    bool NullCount = true;      // a count is written but not yet in the counting element
    bool Pending = false;       // the next clock loads the written count
    bool Armed = false;         // modes 1 and 5: a gate trigger waits for the next clock
    bool Counting = false;      // the counting element holds a count
    bool Fired = false;         // modes 0 and 4: the terminal count of this count has passed
    std::uint32_t Count = 0;    // the counting element (0 to 65535, or 9999 in BCD)
    std::uint32_t Period = 0;   // the count it was loaded with, 1 to 65536 (10000 in BCD)
    std::uint32_t HalfLeft = 0; // mode 3: clocks left in the present half of the period
    bool Out = false;           // the OUT pin
    bool Gate = true;           // the GATE pin
    bool CountLatched = false;
    std::uint16_t LatchedCount = 0;
    bool LatchedMsbNext = false;
    bool StatusLatched = false; // 8254
    std::uint8_t LatchedStatus = 0;
};

struct Chip8253 {
    bool ReadBack = false; // the 8254's read-back command
    Counter8253 Counters[3];
};

void Reset8253(Chip8253& chip, bool is8254);
std::uint8_t Read8253(Chip8253& chip, int offset);
void Write8253(Chip8253& chip, int offset, std::uint8_t value);

// Counts pulses on the CLK input of counter (all three when counter is -1).
void Clock8253(Chip8253& chip, int counter, std::uint64_t pulses);

// The GATE pin of a counter; a rising edge triggers modes 1 and 5 and
// restarts modes 2 and 3.
void SetGate8253(Chip8253& chip, int counter, bool level);

// The counter's mode (0-5) and its count as a read without a latch shows it.
int DecodeCounterMode(const Counter8253& counter);
std::uint16_t ReadCountingElement(const Counter8253& counter);
