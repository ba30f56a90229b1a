// The machine-code file that the image builder loads: lines of a load
// address (four upper-case hexadecimal digits) and up to 16 data bytes, each
// a blank and two upper-case hexadecimal digits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Bytes on one line, at most.
constexpr int _BytesPerLine = 16;

struct MachineCodeText {
    std::string Text;     // the lines so far; the last one not yet ended
    int NextAddress = -1; // the address that would continue the open line; -1: none open
    int BytesOnLine = 0;
};

// Adds bytes placed from address on (wrapping past FFFFH). A new line starts
// wherever a byte does not follow the previous one, where a line is full,
// and where the address wraps to 0000H.
void AppendMachineCode(MachineCodeText& code, int address, const std::uint8_t* bytes, std::size_t count);

// Ends the open line; the text is then the whole file.
void FinishMachineCode(MachineCodeText& code);
