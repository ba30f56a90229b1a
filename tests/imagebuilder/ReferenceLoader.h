// The machine-code line scan written out literally, step by step, with no
// shortcut: the yardstick that the fast reader must match byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>

namespace reference {

inline bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

inline int Digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Parses a number at p: white space, a sign, a 0x prefix (when a digit
// follows it), digits. Returns false when no digit was read.
inline bool Parse(const char* line, std::size_t n, std::size_t p, std::uint32_t& value)
{
    while (p < n && IsSpace(line[p]))
        ++p;
    bool negative = false;
    if (p < n && (line[p] == '+' || line[p] == '-'))
        negative = line[p++] == '-';
    if (p + 2 < n && line[p] == '0' && (line[p + 1] == 'x' || line[p + 1] == 'X') && Digit(line[p + 2]) >= 0)
        p += 2;
    bool found = false;
    value = 0;
    for (; p < n && Digit(line[p]) >= 0; ++p) {
        found = true;
        value = value * 16u + static_cast<std::uint32_t>(Digit(line[p]));
    }
    if (negative)
        value = 0u - value;
    return found;
}

// Loads one line: the address from the line's start, then every item found by
// the scan that starts again at position 0.
inline void LoadLine(const char* line, std::size_t n, unsigned char* memory)
{
    std::uint32_t address = 0;
    if (!Parse(line, n, 0, address))
        return;
    std::uint16_t load = static_cast<std::uint16_t>(address);
    std::size_t p = 0;
    while (p < n) {
        while (p < n && line[p] != ' ' && line[p] != '\t')
            ++p;
        while (p < n && (line[p] == ' ' || line[p] == '\t'))
            ++p;
        if (p >= n)
            break;
        std::uint32_t item = 0;
        if (Parse(line, n, p, item))
            memory[load++] = static_cast<unsigned char>(item);
    }
}

} // namespace reference
