// The 8279 keyboard/display interface: the 16-byte display RAM with its
// read and write commands and auto-increment, left and right entry, blanking
// and write inhibit, the 8-byte keyboard FIFO with its status word and
// interrupt line, the clear command and the mode bits (scanned keyboard,
// sensor matrix or strobed input; encoded or decoded scan; 8 or 16 digits).
// Registers: 0 data (A0 low), 1 command (write) and status (read).
#pragma once

#include <cstdint>

struct Chip8279 {
    std::uint8_t Display[16] = {};
    std::uint8_t Fifo[8] = {};
    int FifoCount = 0;
    int FifoFirst = 0;
    std::uint8_t Mode =
        0x08; // keyboard/display mode set: 000DDKKK; reset gives 16 digits, left entry, encoded, 2-key lockout
    std::uint8_t Prescaler = 31; // program clock: 001PPPPP
    bool ReadDisplay = false;    // the last read command was for the display RAM
    int Address = 0;             // display RAM address (0-15), or sensor row (0-7)
    bool AutoIncrement = false;
    std::uint8_t InhibitBlank = 0; // 1010 IW-A IW-B BL-A BL-B, low four bits
    std::uint8_t ClearCode = 0;    // what blanking and the clear command put in the display RAM
    bool Overrun = false;
    bool Underrun = false;
    bool SensorError = false;      // S/E: a sensor closure, or (N-key rollover) an error
    bool Irq = false;              // the IRQ pin
    bool EndInterruptMode = false; // 111E: sensor mode end interrupt / N-key error mode
};

void Reset8279(Chip8279& chip);
std::uint8_t Read8279(Chip8279& chip, int offset);
void Write8279(Chip8279& chip, int offset, std::uint8_t value);

// A key closure seen by the scan: its code (SHIFT and CNTL in bits 6 and 7,
// scan row in bits 5-3, return line in bits 2-0) goes into the FIFO. A key
// pressed with the FIFO full is lost and sets the overrun error.
void PressKey8279(Chip8279& chip, std::uint8_t code);

// The display as the digits show it: a blanked nibble shows the clear code.
std::uint8_t ReadShownDigit8279(const Chip8279& chip, int digit);

// Digits the scan drives: 8 or 16 with an encoded scan, 4 with a decoded one.
int CountDigits8279(const Chip8279& chip);
bool IsDecodedScan8279(const Chip8279& chip);
bool IsRightEntry8279(const Chip8279& chip);
