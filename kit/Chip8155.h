// The 8155: 256 bytes of RAM, ports A and B (8 bits) and C (6 bits), and a
// 14-bit timer. Registers (the low three address bits): 0 command (write) and
// status (read), 1 port A, 2 port B, 3 port C, 4 the timer's count length,
// low byte, 5 its high six bits with the two mode bits above them. The RAM
// is reached by memory address; on a kit it is the machine's memory (Kit.h).
#pragma once

#include <cstdint>

struct Chip8155 {
    std::uint8_t Ram[256] = {};
    std::uint8_t Command = 0;
    std::uint8_t Latch[3] = {};   // output latches of A, B, C
    std::uint8_t Pins[3] = {};    // what the outside drives on A, B, C
    std::uint8_t Strobed[2] = {}; // A and B: the byte the last strobe latched (strobed input)
    bool BufferFull[2] = {};      // A BF, B BF
    bool Request[2] = {};         // A INTR, B INTR
    // The timer: the count length and mode as written, and those it runs with.
    std::uint16_t LengthWritten = 0;
    std::uint8_t ModeWritten = 0;
    std::uint16_t Length = 0;
    std::uint8_t Mode = 0;
    bool Running = false;
    bool StopAtCount = false; // STOP AFTER TC was given
    bool Reload = false;      // START while running: take the written length at TC
    std::uint16_t Count = 0;  // counts left in the present period
    bool Out = true;          // the TIMER OUT pin
    bool TimerStatus = false; // status bit 6, latched at terminal count
};

void Reset8155(Chip8155& chip);
std::uint8_t Read8155(Chip8155& chip, int offset);
void Write8155(Chip8155& chip, int offset, std::uint8_t value);

// Counts pulses on TIMER IN.
void Clock8155(Chip8155& chip, std::uint64_t pulses);

// The value the chip drives on a port's output pins (0 on input pins).
std::uint8_t ReadOutputPins8155(const Chip8155& chip, int port);

// The outside's side of the strobed ports (port C in ALT 3 and ALT 4): a
// strobe on A STB or B STB, latching value on an input port or taking the
// byte of an output port.
void Strobe8155(Chip8155& chip, int port, std::uint8_t value);
