#include "MachineCode.h"

#include "HexNumber.h"
#include "MachineImage.h"
#include "Messages.h"
#include "TextFile.h"

#include <cstdint>
#include <cstring>

// Moves p across its item and the blanks and tabs after it, to the next item.
static std::size_t FindNextItem(const char* line, std::size_t length, std::size_t p)
{
    while (p < length && line[p] != ' ' && line[p] != '\t') {
        ++p;
    }
    while (p < length && (line[p] == ' ' || line[p] == '\t')) {
        ++p;
    }
    return p;
}

// Stores the items of one line from its load address on.
void LoadMachineCodeLine(const char* line, std::size_t length, unsigned char* memory)
{
    const HexNumber address = ParseHexNumber(line, length, 0);
    if (!address.Found) {
        return;
    }
    std::uint16_t loadAddress = static_cast<std::uint16_t>(address.Value & 0xFFFFu);
    // The scan starts at the beginning of the line, not after the address: a
    // line that begins with a blank or tab takes its first number as data too.
    std::size_t p = 0;
    while (p < length) {
        p = FindNextItem(line, length, p);
        if (p >= length) {
            break;
        }
        const HexNumber item = ParseHexNumber(line, length, p);
        if (item.Found) {
            memory[loadAddress] = static_cast<unsigned char>(item.Value & 0xFFu);
            loadAddress = static_cast<std::uint16_t>(loadAddress + 1u);
        }
    }
}

// Clears memory and loads the machine-code file into it line by line.
void ReadMachineCode(const char* fileName, unsigned char* memory)
{
    std::memset(memory, 0, _MemorySize);
    TextFile file;
    if (!OpenTextFile(file, fileName)) {
        ReportUnableToOpen(fileName);
        return;
    }
    char line[_MaxLineLength];
    for (;;) {
        const std::size_t length = ReadTextLine(file, line, sizeof line);
        LoadMachineCodeLine(line, length, memory);
        if (file.MetEnd) {
            break;
        }
    }
    CloseTextFile(file);
}
