// The 8255 programmable peripheral interface: ports A, B and C in mode 0,
// the bit set/reset of port C, and the strobed modes 1 (A and B) and 2 (A)
// with their handshake bits on port C. Registers: 0 port A, 1 port B,
// 2 port C, 3 control word (write only).
#pragma once

#include <cstdint>

struct Chip8255 {
    std::uint8_t Control = 0x9B;  // the last mode word; after reset all ports are inputs in mode 0
    std::uint8_t Latch[3] = {};   // the output latches of A, B and C
    std::uint8_t Pins[3] = {};    // what the outside drives on the pins of A, B and C
    std::uint8_t Strobed[2] = {}; // A and B: the byte the last strobe latched (modes 1 and 2)
    bool InputFull[2] = {};       // IBF A, IBF B
    bool OutputFull[2] = {};      // OBF A, OBF B as "a byte waits" (the pins are active low)
    bool EnableIn[2] = {};        // INTE A (input side; INTE 2 of mode 2), INTE B (either side)
    bool EnableOut = false;       // INTE 1 of mode 2 and INTE A of mode 1 output: set by bit 6 of port C
};

// Port numbers for the functions below.
constexpr int _PortA = 0;
constexpr int _PortB = 1;
constexpr int _PortC = 2;

void Reset8255(Chip8255& chip);
std::uint8_t Read8255(Chip8255& chip, int offset);
void Write8255(Chip8255& chip, int offset, std::uint8_t value);

// Group A's mode (0, 1 or 2) and group B's mode (0 or 1), and whether a
// port (A, B, C lower half as 2, C upper half as 3) is an input.
int DecodeGroupAMode(const Chip8255& chip);
int DecodeGroupBMode(const Chip8255& chip);
bool IsInput8255(const Chip8255& chip, int port);

// The value the chip drives on a port's output pins (0 on input pins).
std::uint8_t ReadOutputPins8255(const Chip8255& chip, int port);

// The outside's side of the handshakes of modes 1 and 2: a strobe (STB low,
// then high) latching value into port A or B, and an acknowledge (ACK low,
// then high) taking the byte a port put out.
void Strobe8255(Chip8255& chip, int port, std::uint8_t value);
void Acknowledge8255(Chip8255& chip, int port);

// INTR A or INTR B as the pins show it.
bool IsRequesting8255(const Chip8255& chip, int port);
