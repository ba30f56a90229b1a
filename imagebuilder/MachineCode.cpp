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
    while (p < length && !IsItemSeparator(line[p])) {
        ++p;
    }
    while (p < length && IsItemSeparator(line[p])) {
        ++p;
    }
    return p;
}

// Stores the items of one line from its load address on. The common item,
// plain digits (a digit first, and not the 0 of a 0x prefix) followed by
// blanks or tabs, is read in one pass; the zero byte at line[length] is
// neither a digit nor a separator, so it ends both of its loops.
void LoadMachineCodeLine(const char* line, std::size_t length, unsigned char* memory)
{
    const HexNumber address = ParseHexNumber(line, length, 0);
    if (!address.Found) {
        return;
    }
    std::uint16_t loadAddress = static_cast<std::uint16_t>(address.Value & 0xFFFFu);
    // The scan starts at the beginning of the line, not after the address: a
    // line that begins with a blank or tab takes its first number as data too.
    // A line that begins with its address holds no blank or tab up to where
    // the address's reading stopped, so the scan may resume there.
    std::size_t p = FindNextItem(line, length, IsWhiteSpace(line[0]) ? 0 : address.End);
    while (p < length) {
        int digit = HexDigitValue(line[p]);
        const bool prefixed = digit == 0 && (line[p + 1] == 'x' || line[p + 1] == 'X');
        if (digit >= 0 && !prefixed) {
            // Two digits and a separator: the usual data byte.
            const int low = HexDigitValue(line[p + 1]);
            if (low >= 0 && IsItemSeparator(line[p + 2])) {
                memory[loadAddress++] = static_cast<unsigned char>(digit * 16 + low);
                p += 2;
                while (IsItemSeparator(line[++p])) {
                }
                continue;
            }
            std::uint32_t value = 0;
            do {
                value = value * 16u + static_cast<std::uint32_t>(digit);
                digit = HexDigitValue(line[++p]);
            } while (digit >= 0);
            memory[loadAddress++] = static_cast<unsigned char>(value & 0xFFu);
            if (IsItemSeparator(line[p])) {
                while (IsItemSeparator(line[++p])) {
                }
            } else {
                p = FindNextItem(line, length, p);
            }
            continue;
        }
        const HexNumber item = ParseHexNumber(line, length, p);
        if (item.Found) {
            memory[loadAddress++] = static_cast<unsigned char>(item.Value & 0xFFu);
        }
        // An item that does not begin with white space holds no blank or tab
        // up to where its reading stopped, so the search for the next item
        // may start there. One that does may have been read past blanks, so
        // the search starts again from the item itself.
        p = FindNextItem(line, length, IsWhiteSpace(line[p]) ? p : item.End);
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
    char line[_MaxMachineCodeLineLength];
    for (;;) {
        const std::size_t length = ReadTextLine(file, line, sizeof line);
        LoadMachineCodeLine(line, length, memory);
        if (file.MetEnd) {
            break;
        }
    }
    CloseTextFile(file);
}
