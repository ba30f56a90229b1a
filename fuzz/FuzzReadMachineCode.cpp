// Fuzz target: loading any machine-code file into memory. The guard bytes
// around the 64 KiB must stay untouched.

#include "FuzzInput.h"
#include "MachineCode.h"
#include "MachineImage.h"

#include <cstring>
#include <vector>

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
    return 0;
}
