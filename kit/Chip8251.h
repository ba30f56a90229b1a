// The 8251A USART as a serial console: the mode instruction (and the sync
// characters of the synchronous mode) after a reset, then command
// instructions; the status word; the transmit and receive data. Registers:
// 0 data (C/D low), 1 mode/command (write) and status (read).
#pragma once

#include <cstdint>
#include <string>

enum class Expect8251 : std::uint8_t { Mode, FirstSync, SecondSync, Command };

struct Chip8251 {
    Expect8251 Expect = Expect8251::Mode;
    std::uint8_t ModeWord = 0;
    std::uint8_t CommandWord = 0;
    std::uint8_t Sync[2] = {};
    std::uint8_t TxBuffer = 0;
    bool TxBufferFull = false;
    std::uint8_t TxShift = 0;
    bool TxShifting = false;
    std::uint64_t TxLeft = 0; // clock pulses left of the character being sent
    std::uint8_t RxData = 0;
    bool RxReady = false;
    bool ParityError = false;
    bool Overrun = false;
    bool FramingError = false;
    bool Cts = true;  // the CTS input asserted (pin low)
    bool Dsr = false; // the DSR input asserted (pin low)
    std::string Sent; // every character sent on TxD, in order
};

void Reset8251(Chip8251& chip);
std::uint8_t Read8251(Chip8251& chip, int offset);
void Write8251(Chip8251& chip, int offset, std::uint8_t value);

// Counts pulses on TxC: a character takes its bits times the baud rate factor.
void Clock8251(Chip8251& chip, std::uint64_t pulses);

// A character arriving on RxD (whole, as the receiver assembles it).
void Receive8251(Chip8251& chip, std::uint8_t byte);

// The TxRDY and RxRDY pins.
bool IsTxReadyPin8251(const Chip8251& chip);
bool IsRxReadyPin8251(const Chip8251& chip);

// Clock pulses one character takes in the present mode.
std::uint64_t CountCharacterPulses8251(const Chip8251& chip);
