// The --trace lines: one per instruction executed, in one fixed format
//
//   STEP AAAA: BYTES     DISASSEMBLY     A=.. B=.. C=.. D=.. E=.. H=.. L=.. SP=.... S=. Z=. AC=. P=. CY=.
//
// STEP is the instruction's number (decimal, from 1), AAAA its address;
// BYTES its one to three bytes in hexadecimal, padded to 8 columns; the
// disassembly in source syntax padded to 14 columns; then the registers and
// flags after the instruction.
//
// An interrupt taken counts as an instruction (the RST the processor
// performs) and has a line of its own: AAAA is the address it returns to,
// the disassembly reads INT TRAP, INT RST 5.5, INT RST 6.5, INT RST 7.5, or
// INT RST n for INTR, whose BYTES are the RST n opcode from the data bus.
#pragma once

#include "Cpu.h"

#include <cstdint>
#include <string>

// One trace line, ending in a line feed. bytes[0] is the opcode; only as
// many bytes as the instruction has are shown.
std::string FormatTraceLine(std::uint64_t step, std::uint16_t address, const std::uint8_t bytes[3],
                            const CpuState& after);

// The line of an interrupt taken, as the core reported it.
std::string FormatInterruptLine(std::uint64_t step, std::uint16_t address, const TakenInterrupt& taken,
                                const CpuState& after);
