#include "Trace.h"

#include <cstdio>

namespace {

constexpr int _BytesColumns = 8;
constexpr int _DisassemblyColumns = 14;

constexpr std::uint8_t _RstOpcode = 0xC7;

std::string FormatLine(std::uint64_t step, std::uint16_t address, const std::string& bytes,
                       const std::string& disassembly, const CpuState& after)
{
    const auto flag = [&after](std::uint8_t bit) { return (after.F & bit) ? 1 : 0; };
    char line[192];
    std::snprintf(line, sizeof line,
                  "%llu %04X: %-*s  %-*s  A=%02X B=%02X C=%02X D=%02X E=%02X H=%02X L=%02X SP=%04X "
                  "S=%d Z=%d AC=%d P=%d CY=%d\n",
                  static_cast<unsigned long long>(step), address, _BytesColumns, bytes.c_str(), _DisassemblyColumns,
                  disassembly.c_str(), after.A, after.B, after.C, after.D, after.E, after.H, after.L, after.SP,
                  flag(_FlagS), flag(_FlagZ), flag(_FlagAC), flag(_FlagP), flag(_FlagCY));
    return line;
}

} // namespace

std::string FormatTraceLine(std::uint64_t step, std::uint16_t address, const std::uint8_t bytes[3],
                            const CpuState& after)
{
    const unsigned size = DescribeOpcode(after.Model, bytes[0]).Size;
    std::string hex;
    char field[8];
    for (unsigned i = 0; i < size && i < 3; ++i) {
        std::snprintf(field, sizeof field, i == 0 ? "%02X" : " %02X", bytes[i]);
        hex += field;
    }
    return FormatLine(step, address, hex, FormatInstruction(after.Model, bytes), after);
}

std::string FormatInterruptLine(std::uint64_t step, std::uint16_t address, const TakenInterrupt& taken,
                                const CpuState& after)
{
    if (taken.Source != InterruptSource::Intr)
        return FormatLine(step, address, "", std::string("INT ") + DescribeInterruptSource(taken.Source).Name, after);
    // INTR: the RST n that the device put on the data bus.
    const unsigned number = (taken.Vector >> 3) & 7;
    char bytes[4];
    std::snprintf(bytes, sizeof bytes, "%02X", _RstOpcode | (number << 3));
    return FormatLine(step, address, bytes, "INT RST " + std::to_string(number), after);
}
