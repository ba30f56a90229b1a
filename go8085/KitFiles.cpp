#include "KitFiles.h"

#include <charconv>

namespace {

constexpr int _RecordBytes = 16;
constexpr std::string_view _EndRecord = ":00000001FF\n";

void AppendHexByte(std::string& text, unsigned value)
{
    constexpr char digits[] = "0123456789ABCDEF";
    text += digits[(value >> 4) & 0xF];
    text += digits[value & 0xF];
}

// One data record of count bytes from address on, with its checksum.
void AppendDataRecord(std::string& text, const PlacedBytes& placed, unsigned address, unsigned count)
{
    unsigned sum = count + (address >> 8) + (address & 0xFF);
    text += ':';
    AppendHexByte(text, count);
    AppendHexByte(text, address >> 8);
    AppendHexByte(text, address & 0xFF);
    AppendHexByte(text, 0x00);
    for (unsigned i = 0; i < count; ++i) {
        const unsigned byte = placed.Memory[address + i];
        AppendHexByte(text, byte);
        sum += byte;
    }
    AppendHexByte(text, (0x100 - (sum & 0xFF)) & 0xFF);
    text += '\n';
}

// Reads one hexadecimal field from at on, skipping blanks before it.
bool ReadHexField(std::string_view line, std::size_t& at, unsigned& value)
{
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r')) {
        ++at;
    }
    const char* first = line.data() + at;
    const auto [end, problem] = std::from_chars(first, line.data() + line.size(), value, 16);
    if (problem != std::errc() || end == first) {
        return false;
    }
    at += static_cast<std::size_t>(end - first);
    return true;
}

} // namespace

bool ReadPlacedBytes(std::string_view machineCode, PlacedBytes& placed, std::string& error)
{
    std::size_t start = 0;
    int number = 1;
    while (start < machineCode.size()) {
        std::size_t end = machineCode.find('\n', start);
        if (end == std::string_view::npos) {
            end = machineCode.size();
        }
        const std::string_view line = machineCode.substr(start, end - start);
        std::size_t at = 0;
        unsigned address = 0;
        if (!ReadHexField(line, at, address) || address > 0xFFFF) {
            error = "line " + std::to_string(number) + " has no load address";
            return false;
        }
        for (unsigned byte = 0; ReadHexField(line, at, byte); address = (address + 1) & 0xFFFF) {
            if (byte > 0xFF) {
                error = "line " + std::to_string(number) + " has a value beyond a byte";
                return false;
            }
            placed.Memory[address] = static_cast<std::uint8_t>(byte);
            placed.Placed.set(address);
        }
        start = end + 1;
        ++number;
    }
    return true;
}

std::string FormatIntelHex(const PlacedBytes& placed)
{
    std::string text;
    for (unsigned block = 0; block < 65536; block += _RecordBytes) {
        unsigned at = block;
        while (at < block + _RecordBytes) {
            if (!placed.Placed[at]) {
                ++at;
                continue;
            }
            unsigned end = at;
            while (end < block + _RecordBytes && placed.Placed[end]) {
                ++end;
            }
            AppendDataRecord(text, placed, at, end - at);
            at = end;
        }
    }
    return text + std::string(_EndRecord);
}

PlacedRange FindPlacedRange(const PlacedBytes& placed)
{
    PlacedRange range;
    if (placed.Placed.none()) {
        return range;
    }
    std::size_t first = 0;
    while (!placed.Placed[first]) {
        ++first;
    }
    std::size_t last = 65535;
    while (!placed.Placed[last]) {
        --last;
    }
    range.First = static_cast<std::uint16_t>(first);
    range.Size = last - first + 1;
    return range;
}

std::string FormatBinary(const PlacedBytes& placed, const PlacedRange& range)
{
    return std::string(reinterpret_cast<const char*>(placed.Memory.data()) + range.First, range.Size);
}
