// The register data file: fifteen decimal values that give the registers,
// the two words, the five flags and the extra flag of the image.
#pragma once

#include "MachineImage.h"

// Bit of each flag in the packed flag byte. Bits 5, 3 and 1 stay 0.
constexpr unsigned char _SignBit = 0x80;
constexpr unsigned char _ZeroBit = 0x40;
constexpr unsigned char _AuxiliaryCarryBit = 0x10;
constexpr unsigned char _ParityBit = 0x04;
constexpr unsigned char _CarryBit = 0x01;

// Recomputes FlagByte from the five flags; a bit is set for a flag equal to 1.
void Flags2Byte(FLAGS& flags);

// Reads the register data file into the given fields of an image. A value
// that is missing or is no decimal integer gives 0. When the file cannot be
// opened, the message is written and every field is left as it was.
void ReadREGSandFLAGS(const char* fileName, REGS& registers, LittleEndianWord& word1, LittleEndianWord& word2,
                      FLAGS& flags, unsigned char& extraFlag);
