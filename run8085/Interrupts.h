// The interrupt logic of the core: RIM and SIM, EI and DI, and taking an
// interrupt by the 8085's priorities (TRAP > RST 7.5 > RST 6.5 > RST 5.5 >
// INTR). The 8080 has INTR only.
#pragma once

#include "Cpu.h"

#include <cstdint>

// RIM: SID, I7.5, I6.5, I5.5, IE, M7.5, M6.5, M5.5 from bit 7 down. Right
// after a TRAP, IE reads as it was before the TRAP.
std::uint8_t ReadInterruptMasks(CpuState& cpu);

// SIM with the accumulator's value: bit 3 (MSE) loads the masks from bits
// 0-2, bit 4 (R7.5) clears the RST 7.5 latch, bit 6 (SDE) loads SOD from bit 7.
void SetInterruptMasks(CpuState& cpu, std::uint8_t value);

// EI and DI.
void EnableInterrupts(CpuState& cpu);
void DisableInterrupts(CpuState& cpu);

// Whether StepCpu must look at the interrupt lines before the next
// instruction: an interrupt can be taken, or an RST 7.5 edge is to be latched.
bool IsInterruptWaiting(const CpuState& cpu);

// Latches an RST 7.5 edge, then takes the interrupt of highest priority
// that can be taken, if any: clears IE and the halt, pushes PC, jumps to the
// vector and counts one instruction (the RST the processor performs).
// Returns the T-states taken, 0 when there was none to take.
int TakeInterrupt(CpuState& cpu);
