#include "MachineCode.h"

constexpr char _HexDigits[] = "0123456789ABCDEF";

void AppendMachineCode(MachineCodeText& code, int address, const std::uint8_t* bytes, std::size_t count)
{
    std::string& text = code.Text;
    for (std::size_t i = 0; i < count; ++i) {
        const int at = (address + static_cast<int>(i)) & 0xFFFF;
        if (at != code.NextAddress || code.BytesOnLine == _BytesPerLine) {
            if (code.NextAddress >= 0) {
                text += '\n';
            }
            text += _HexDigits[(at >> 12) & 0xF];
            text += _HexDigits[(at >> 8) & 0xF];
            text += _HexDigits[(at >> 4) & 0xF];
            text += _HexDigits[at & 0xF];
            code.BytesOnLine = 0;
        }
        text += ' ';
        text += _HexDigits[bytes[i] >> 4];
        text += _HexDigits[bytes[i] & 0xF];
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
