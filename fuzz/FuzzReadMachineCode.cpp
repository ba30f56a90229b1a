// Fuzz target: loading any machine-code file into memory. The guard bytes
// around the 64 KiB must stay untouched, and the line scan must store exactly
// what the literal, step-by-step scan stores.

#include "FuzzInput.h"
#include "MachineCode.h"
#include "MachineImage.h"
#include "imagebuilder/ReferenceLoader.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

// Loads the input's first line (at most 99 characters) both ways and
// compares the memories.
static void CompareWithLiteralScan(const std::uint8_t* data, std::size_t size)
{
    std::string line(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, _MaxMachineCodeLineLength - 1));
    line = line.substr(0, line.find('\n'));
    std::vector<unsigned char> fast(_MemorySize);
    std::vector<unsigned char> literal(_MemorySize);
    LoadMachineCodeLine(line.c_str(), line.size(), fast.data());
    reference::LoadLine(line.c_str(), line.size(), literal.data());
    if (fast != literal) {
        __builtin_trap();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    constexpr std::size_t guard = 64;
    const char* path = WriteScratchFile("prog.hex", data, size);
    std::vector<unsigned char> memory(_MemorySize + 2 * guard, 0xA5);
    ReadMachineCode(path, memory.data() + guard);
    for (std::size_t i = 0; i < guard; ++i) {
        if (memory[i] != 0xA5 || memory[guard + _MemorySize + i] != 0xA5) {
            __builtin_trap();
        }
    }
    CompareWithLiteralScan(data, size);
    return 0;
}
