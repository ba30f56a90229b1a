// The 8279.
#include "Chip8279.h"

namespace {

void ClearFifo(Chip8279& chip)
{
    chip.FifoCount = 0;
    chip.FifoFirst = 0;
    chip.Overrun = false;
    chip.Underrun = false;
    chip.SensorError = false;
    chip.Irq = false;
}

int InputMode(const Chip8279& chip)
{
    return chip.Mode & 7;
}
bool IsSensorMode(const Chip8279& chip)
{
    return InputMode(chip) == 4 || InputMode(chip) == 5;
}

void WriteDisplayByte(Chip8279& chip, std::uint8_t value)
{
    // Write inhibit: IW-A keeps the high nibble (outputs A3-A0), IW-B the low.
    std::uint8_t keep = 0;
    if (chip.InhibitBlank & 0x08)
        keep |= 0xF0;
    if (chip.InhibitBlank & 0x04)
        keep |= 0x0F;
    if (IsRightEntry8279(chip)) {
        // Right entry, as on a calculator: the digits move one place left
        // and the new one enters at the right.
        const int digits = CountDigits8279(chip) < 8 ? 8 : CountDigits8279(chip);
        for (int i = 0; i + 1 < digits; ++i)
            chip.Display[i] = chip.Display[i + 1];
        std::uint8_t& last = chip.Display[digits - 1];
        last = static_cast<std::uint8_t>((last & keep) | (value & ~keep));
        return;
    }
    std::uint8_t& cell = chip.Display[chip.Address & 15];
    cell = static_cast<std::uint8_t>((cell & keep) | (value & ~keep));
    if (chip.AutoIncrement)
        chip.Address = (chip.Address + 1) & 15;
}

void Command(Chip8279& chip, std::uint8_t value)
{
    switch (value >> 5) {
    case 0: chip.Mode = value & 0x1F; break;
    case 1: chip.Prescaler = value & 0x1F; break;
    case 2: // read FIFO/sensor RAM
        chip.ReadDisplay = false;
        chip.AutoIncrement = value & 0x10;
        chip.Address = value & 7;
        break;
    case 3: // read display RAM
        chip.ReadDisplay = true;
        chip.AutoIncrement = value & 0x10;
        chip.Address = value & 15;
        break;
    case 4: // write display RAM
        chip.AutoIncrement = value & 0x10;
        chip.Address = value & 15;
        break;
    case 5: chip.InhibitBlank = value & 0x0F; break;
    case 6: { // clear
        switch ((value >> 2) & 3) {
        case 2: chip.ClearCode = 0x20; break;
        case 3: chip.ClearCode = 0xFF; break;
        default: chip.ClearCode = 0x00; break;
        }
        if (value & 0x11) { // CD enabled, or CA
            for (auto& cell : chip.Display)
                cell = chip.ClearCode;
        }
        if (value & 0x03) // CF or CA: the FIFO status and interrupt are reset
            ClearFifo(chip);
        if (value & 0x01)
            chip.Address = 0;
        break;
    }
    default: // end interrupt / error mode set
        chip.EndInterruptMode = value & 0x10;
        if (IsSensorMode(chip)) {
            chip.Irq = false;
            chip.SensorError = false;
        }
        break;
    }
}

} // namespace

void Reset8279(Chip8279& chip)
{
    chip = Chip8279{};
}

bool IsDecodedScan8279(const Chip8279& chip)
{
    const int mode = InputMode(chip);
    return mode == 1 || mode == 3 || mode == 5 || mode == 7;
}

bool IsRightEntry8279(const Chip8279& chip)
{
    return chip.Mode & 0x10;
}

int CountDigits8279(const Chip8279& chip)
{
    if (IsDecodedScan8279(chip))
        return 4;
    return (chip.Mode & 0x08) ? 16 : 8;
}

std::uint8_t Read8279(Chip8279& chip, int offset)
{
    if (offset & 1) {
        const int shown = chip.FifoCount > 7 ? 7 : chip.FifoCount;
        return static_cast<std::uint8_t>((chip.SensorError ? 0x40 : 0) | (chip.Overrun ? 0x20 : 0) |
                                         (chip.Underrun ? 0x10 : 0) | (chip.FifoCount == 8 ? 0x08 : 0) |
                                         (chip.FifoCount == 8 ? 0 : shown));
    }
    if (chip.ReadDisplay) {
        const std::uint8_t value = chip.Display[chip.Address & 15];
        if (chip.AutoIncrement)
            chip.Address = (chip.Address + 1) & 15;
        return value;
    }
    if (chip.FifoCount == 0) {
        chip.Underrun = true; // a read of the empty FIFO
        return 0;
    }
    const std::uint8_t value = chip.Fifo[chip.FifoFirst];
    chip.FifoFirst = (chip.FifoFirst + 1) & 7;
    --chip.FifoCount;
    chip.Irq = chip.FifoCount > 0;
    return value;
}

void Write8279(Chip8279& chip, int offset, std::uint8_t value)
{
    if (offset & 1)
        Command(chip, value);
    else
        WriteDisplayByte(chip, value);
}

void PressKey8279(Chip8279& chip, std::uint8_t code)
{
    if (chip.FifoCount == 8) {
        chip.Overrun = true;
        return;
    }
    chip.Fifo[(chip.FifoFirst + chip.FifoCount) & 7] = code;
    ++chip.FifoCount;
    chip.Irq = true;
}

std::uint8_t ReadShownDigit8279(const Chip8279& chip, int digit)
{
    std::uint8_t value = chip.Display[digit & 15];
    if (chip.InhibitBlank & 0x02)
        value = static_cast<std::uint8_t>((value & 0x0F) | (chip.ClearCode & 0xF0));
    if (chip.InhibitBlank & 0x01)
        value = static_cast<std::uint8_t>((value & 0xF0) | (chip.ClearCode & 0x0F));
    return value;
}
