// Helpers for the image builder's unit tests: input files in a scratch
// directory, and readable forms of memory and of the image's register bytes.
#pragma once

#include "MachineImage.h"
#include "support/RunProgram.h"

#include <map>
#include <memory>
#include <string>

// A scratch directory holding one file, "input", with the given bytes.
struct InputFileFixture {
    ScratchDirectory Dir;
    std::string Path;
    explicit InputFileFixture(const std::string& bytes);
};

// Address and value of every nonzero byte of memory.
using NonzeroBytes = std::map<unsigned, unsigned>;

// Loads the bytes as a machine-code file into a fresh image's memory.
std::unique_ptr<MachineImage> LoadMachineCodeText(const std::string& bytes);

// Lists the nonzero bytes of the image's memory.
NonzeroBytes ListNonzeroBytes(const MachineImage& image);

// Reads the bytes as a register data file into a fresh image whose register
// fields all hold fill beforehand.
std::unique_ptr<MachineImage> ReadRegisterText(const std::string& bytes, unsigned char fill = 0);

// The 24 bytes after memory, as two-digit upper-case hexadecimal numbers
// separated by blanks.
std::string RegisterBytesText(const MachineImage& image);
