#include "MachineCode.h"

constexpr char _HexDigits[] = "0123456789ABCDEF";

void AppendMachineCode(MachineCodeText& code, int address, const std::uint8_t* bytes, std::size_t count)
{
    std::string& text = code.Text;
    for (std::size_t i = 0; i < count; ++i) {
        const int at = (address + static_cast<int>(i)) & 0xFFFF;
        if (at != code.NextAddress || code.BytesOnLine == _BytesPerLine) {
            const char start[5] = {'\n', _HexDigits[(at >> 12) & 0xF], _HexDigits[(at >> 8) & 0xF],
                                   _HexDigits[(at >> 4) & 0xF], _HexDigits[at & 0xF]};
            // The line end closes the open line; the first line has none before it.
            const int skip = code.NextAddress >= 0 ? 0 : 1;
            text.append(start + skip, sizeof start - skip);
            code.BytesOnLine = 0;
        }
        const char item[3] = {' ', _HexDigits[bytes[i] >> 4], _HexDigits[bytes[i] & 0xF]};
        text.append(item, sizeof item);
        ++code.BytesOnLine;
        // After FFFFH nothing follows on the same line: 0000H starts a new one.
        code.NextAddress = at == 0xFFFF ? 0x10000 : at + 1;
    }
}

void FinishMachineCode(MachineCodeText& code)
{
    if (code.NextAddress >= 0) {
        code.Text += '\n';
        code.NextAddress = -1;
        code.BytesOnLine = 0;
    }
}
