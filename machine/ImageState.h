// The image file's layout (imagebuilder/MachineImage.h) read into, and
// written back from, the processor's state.
//
// Word1 is the program counter, Word2 the stack pointer (both as unsigned
// 16-bit values) and ExtraFlag the interrupt-enable flip-flop.
#pragma once

#include "Cpu.h"
#include "MachineImage.h"
#include "MachineOptions.h"

#include <cstdint>
#include <string>
#include <vector>

// Sets memory, PC, SP, A to L, the five flags and IE from the image. The
// single registers and flags win over the pairs and FlagByte; each
// disagreement gives one warning (the text after "file: warning: ").
std::vector<std::string> ApplyImage(const MachineImage& image, CpuState& cpu);

// Writes the processor's state into the image: PC, SP and IE into Word1,
// Word2 and ExtraFlag, the pairs copied from their registers, FlagByte with
// only the bits of S, Z, AC, P and CY.
void StoreImage(const CpuState& cpu, MachineImage& image);

// The interrupt-enable state as the image and the report show it: on, or
// about to come on after the next instruction (an EI just executed).
bool IsInterruptEnabled(const CpuState& cpu);

// Copies bytes into memory from address on. Returns false, copying nothing,
// when they would run past FFFFH.
bool PlaceBytes(CpuState& cpu, std::uint16_t address, const std::string& bytes);

// Ends the first state of a run, once the image (hasImage) and the --load
// files are in memory: the CP/M console's page zero and traps under Cpm
// (and PC at 0100H when no image gave it), then --pc and --sp. Run8085 and
// the debugger's module start from the same state this way.
void FinishFirstState(CpuState& cpu, const MachineOptions& options, bool hasImage);
