// The 8251A.
#include "Chip8251.h"

namespace {

constexpr std::uint8_t _TxEnable = 0x01;
constexpr std::uint8_t _RxEnable = 0x04;
constexpr std::uint8_t _ErrorReset = 0x10;
constexpr std::uint8_t _InternalReset = 0x40;

bool IsSync(const Chip8251& chip)
{
    return (chip.ModeWord & 3) == 0;
}
int CharacterBits(const Chip8251& chip)
{
    return 5 + ((chip.ModeWord >> 2) & 3);
}
std::uint8_t CharacterMask(const Chip8251& chip)
{
    return static_cast<std::uint8_t>((1u << CharacterBits(chip)) - 1);
}

void StartSending(Chip8251& chip)
{
    if (chip.TxShifting || !chip.TxBufferFull || !(chip.CommandWord & _TxEnable) || !chip.Cts)
        return;
    chip.TxShift = chip.TxBuffer;
    chip.TxBufferFull = false;
    chip.TxShifting = true;
    chip.TxLeft = CountCharacterPulses8251(chip);
}

} // namespace

void Reset8251(Chip8251& chip)
{
    std::string sent = std::move(chip.Sent);
    chip = Chip8251{};
    chip.Sent = std::move(sent);
}

std::uint64_t CountCharacterPulses8251(const Chip8251& chip)
{
    const int bits = CharacterBits(chip) + ((chip.ModeWord & 0x10) ? 1 : 0);
    if (IsSync(chip))
        return static_cast<std::uint64_t>(bits);
    static constexpr int factors[4] = {1, 1, 16, 64};
    // Stop bits in halves: 01 one, 10 one and a half, 11 two (00 is invalid: one).
    static constexpr int stopHalves[4] = {2, 2, 3, 4};
    const int halves = 2 * (1 + bits) + stopHalves[chip.ModeWord >> 6];
    return static_cast<std::uint64_t>(factors[chip.ModeWord & 3]) * static_cast<std::uint64_t>(halves) / 2;
}

std::uint8_t Read8251(Chip8251& chip, int offset)
{
    if (offset & 1) {
        // The TxRDY status bit shows the buffer empty whatever CTS and TxEN say.
        return static_cast<std::uint8_t>((chip.TxBufferFull ? 0 : 0x01) | (chip.RxReady ? 0x02 : 0) |
                                         (!chip.TxBufferFull && !chip.TxShifting ? 0x04 : 0) |
                                         (chip.ParityError ? 0x08 : 0) | (chip.Overrun ? 0x10 : 0) |
                                         (chip.FramingError ? 0x20 : 0) | (chip.Dsr ? 0x80 : 0));
    }
    chip.RxReady = false;
    return chip.RxData;
}

void Write8251(Chip8251& chip, int offset, std::uint8_t value)
{
    if (!(offset & 1)) {
        chip.TxBuffer = value;
        chip.TxBufferFull = true;
        StartSending(chip);
        return;
    }
    switch (chip.Expect) {
    case Expect8251::Mode:
        chip.ModeWord = value;
        chip.Expect = IsSync(chip) ? Expect8251::FirstSync : Expect8251::Command;
        break;
    case Expect8251::FirstSync:
        chip.Sync[0] = value;
        // Bit 7 of a synchronous mode word: 1 for a single sync character.
        chip.Expect = (chip.ModeWord & 0x80) ? Expect8251::Command : Expect8251::SecondSync;
        break;
    case Expect8251::SecondSync:
        chip.Sync[1] = value;
        chip.Expect = Expect8251::Command;
        break;
    case Expect8251::Command:
        if (value & _InternalReset) {
            Reset8251(chip);
            return;
        }
        chip.CommandWord = value;
        if (value & _ErrorReset) {
            chip.ParityError = false;
            chip.Overrun = false;
            chip.FramingError = false;
        }
        StartSending(chip);
        break;
    }
}

void Clock8251(Chip8251& chip, std::uint64_t pulses)
{
    while (pulses > 0 && chip.TxShifting) {
        const std::uint64_t step = pulses < chip.TxLeft ? pulses : chip.TxLeft;
        pulses -= step;
        chip.TxLeft -= step;
        if (chip.TxLeft > 0)
            break;
        chip.Sent.push_back(static_cast<char>(chip.TxShift & CharacterMask(chip)));
        chip.TxShifting = false;
        StartSending(chip);
    }
}

void Receive8251(Chip8251& chip, std::uint8_t byte)
{
    if (!(chip.CommandWord & _RxEnable) || chip.Expect != Expect8251::Command)
        return;
    if (chip.RxReady)
        chip.Overrun = true; // the character not read is lost
    chip.RxData = byte & CharacterMask(chip);
    chip.RxReady = true;
}

bool IsTxReadyPin8251(const Chip8251& chip)
{
    return !chip.TxBufferFull && chip.Cts && (chip.CommandWord & _TxEnable);
}

bool IsRxReadyPin8251(const Chip8251& chip)
{
    return chip.RxReady;
}
