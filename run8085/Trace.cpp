#include "Trace.h"

#include <cstdio>

namespace {

constexpr int _BytesColumns = 8;
constexpr int _DisassemblyColumns = 14;

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
    const std::string disassembly = FormatInstruction(after.Model, bytes);
    const auto flag = [&after](std::uint8_t bit) { return (after.F & bit) ? 1 : 0; };
    char line[192];
    std::snprintf(line, sizeof line,
                  "%llu %04X: %-*s  %-*s  A=%02X B=%02X C=%02X D=%02X E=%02X H=%02X L=%02X SP=%04X "
                  "S=%d Z=%d AC=%d P=%d CY=%d\n",
                  static_cast<unsigned long long>(step), address, _BytesColumns, hex.c_str(),
                  _DisassemblyColumns, disassembly.c_str(), after.A, after.B, after.C, after.D, after.E,
                  after.H, after.L, after.SP, flag(_FlagS), flag(_FlagZ), flag(_FlagAC), flag(_FlagP),
                  flag(_FlagCY));
    return line;
}
