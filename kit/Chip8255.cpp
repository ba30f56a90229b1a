// The 8255: modes 0, 1 and 2 and the bit set/reset of port C.
#include "Chip8255.h"

namespace {

constexpr std::uint8_t _ModeSetFlag = 0x80;
constexpr std::uint8_t _AInput = 0x10;
constexpr std::uint8_t _CUpperInput = 0x08;
constexpr std::uint8_t _BMode1 = 0x04;
constexpr std::uint8_t _BInput = 0x02;
constexpr std::uint8_t _CLowerInput = 0x01;

std::uint8_t Bit(int n, bool on)
{
    return on ? static_cast<std::uint8_t>(1u << n) : 0;
}

bool IsStrobedInput(const Chip8255& chip, int port)
{
    if (port == _PortA)
        return DecodeGroupAMode(chip) == 2 || (DecodeGroupAMode(chip) == 1 && (chip.Control & _AInput));
    return DecodeGroupBMode(chip) == 1 && (chip.Control & _BInput);
}

bool IsStrobedOutput(const Chip8255& chip, int port)
{
    if (port == _PortA)
        return DecodeGroupAMode(chip) == 2 || (DecodeGroupAMode(chip) == 1 && !(chip.Control & _AInput));
    return DecodeGroupBMode(chip) == 1 && !(chip.Control & _BInput);
}

// Port C's bits that carry handshake signals in the present modes: a bit set
// here is not an I/O line.
std::uint8_t HandshakeBits(const Chip8255& chip)
{
    std::uint8_t bits = 0;
    switch (DecodeGroupAMode(chip)) {
    case 1: bits |= (chip.Control & _AInput) ? 0x38 : 0xC8; break; // PC3-5 or PC3, PC6, PC7
    case 2: bits |= 0xF8; break;                                   // PC3-7
    default: break;
    }
    if (DecodeGroupBMode(chip) == 1)
        bits |= 0x07;
    return bits;
}

// Port C as the status read and the pins show it. INTE bits appear at the
// STB and ACK positions in a read, and the pins there are inputs.
std::uint8_t ComposePortC(const Chip8255& chip, bool forRead)
{
    std::uint8_t value = 0;
    for (int bit = 0; bit < 8; ++bit) {
        const bool input = (bit < 4) ? (chip.Control & _CLowerInput) : (chip.Control & _CUpperInput);
        const std::uint8_t source = input ? (forRead ? chip.Pins[_PortC] : 0) : chip.Latch[_PortC];
        value |= source & (1u << bit);
    }
    value &= static_cast<std::uint8_t>(~HandshakeBits(chip));
    const int modeA = DecodeGroupAMode(chip);
    if (modeA == 1 || modeA == 2) {
        value |= Bit(3, IsRequesting8255(chip, _PortA));
        if (modeA == 2 || (chip.Control & _AInput)) {
            value |= Bit(5, chip.InputFull[_PortA]);
            value |= Bit(4, forRead && chip.EnableIn[_PortA]);
        }
        if (modeA == 2 || !(chip.Control & _AInput)) {
            value |= Bit(7, !chip.OutputFull[_PortA]);
            value |= Bit(6, forRead && chip.EnableOut);
        }
    }
    if (DecodeGroupBMode(chip) == 1) {
        value |= Bit(0, IsRequesting8255(chip, _PortB));
        if (chip.Control & _BInput)
            value |= Bit(1, chip.InputFull[_PortB]);
        else
            value |= Bit(1, !chip.OutputFull[_PortB]);
        value |= Bit(2, forRead && chip.EnableIn[_PortB]);
    }
    return value;
}

void SetMode(Chip8255& chip, std::uint8_t value)
{
    // A mode word resets every output latch and status flip-flop.
    chip.Control = value;
    for (auto& latch : chip.Latch)
        latch = 0;
    for (int port = 0; port < 2; ++port) {
        chip.InputFull[port] = false;
        chip.OutputFull[port] = false;
        chip.EnableIn[port] = false;
    }
    chip.EnableOut = false;
}

void SetResetBit(Chip8255& chip, std::uint8_t value)
{
    const int bit = (value >> 1) & 7;
    const bool set = value & 1;
    const int modeA = DecodeGroupAMode(chip);
    const bool aIn = modeA == 2 || (modeA == 1 && (chip.Control & _AInput));
    const bool aOut = modeA == 2 || (modeA == 1 && !(chip.Control & _AInput));
    // The INTE flip-flops sit behind the STB and ACK bits.
    if (bit == 4 && aIn) {
        chip.EnableIn[_PortA] = set;
        return;
    }
    if (bit == 6 && aOut) {
        chip.EnableOut = set;
        return;
    }
    if (bit == 2 && DecodeGroupBMode(chip) == 1) {
        chip.EnableIn[_PortB] = set;
        return;
    }
    if (HandshakeBits(chip) & (1u << bit))
        return;
    if (set)
        chip.Latch[_PortC] |= static_cast<std::uint8_t>(1u << bit);
    else
        chip.Latch[_PortC] &= static_cast<std::uint8_t>(~(1u << bit));
}

} // namespace

void Reset8255(Chip8255& chip)
{
    chip = Chip8255{};
}

int DecodeGroupAMode(const Chip8255& chip)
{
    const int bits = (chip.Control >> 5) & 3;
    return bits >= 2 ? 2 : bits;
}

int DecodeGroupBMode(const Chip8255& chip)
{
    return (chip.Control & _BMode1) ? 1 : 0;
}

bool IsInput8255(const Chip8255& chip, int port)
{
    switch (port) {
    case _PortA: return chip.Control & _AInput;
    case _PortB: return chip.Control & _BInput;
    case 2: return chip.Control & _CLowerInput;
    default: return chip.Control & _CUpperInput;
    }
}

std::uint8_t Read8255(Chip8255& chip, int offset)
{
    switch (offset & 3) {
    case _PortA:
    case _PortB: {
        const int port = offset & 3;
        if (IsStrobedInput(chip, port)) {
            chip.InputFull[port] = false; // RD clears IBF and INTR
            return chip.Strobed[port];
        }
        if (IsStrobedOutput(chip, port) || !IsInput8255(chip, port))
            return chip.Latch[port];
        return chip.Pins[port];
    }
    case _PortC: return ComposePortC(chip, true);
    default: return 0xFF; // the control word cannot be read
    }
}

void Write8255(Chip8255& chip, int offset, std::uint8_t value)
{
    switch (offset & 3) {
    case _PortA:
    case _PortB: {
        const int port = offset & 3;
        chip.Latch[port] = value;
        if (IsStrobedOutput(chip, port))
            chip.OutputFull[port] = true; // WR sets OBF (low) and clears INTR
        break;
    }
    case _PortC: {
        const std::uint8_t io = static_cast<std::uint8_t>(~HandshakeBits(chip));
        chip.Latch[_PortC] = static_cast<std::uint8_t>((chip.Latch[_PortC] & ~io) | (value & io));
        break;
    }
    default:
        if (value & _ModeSetFlag)
            SetMode(chip, value);
        else
            SetResetBit(chip, value);
        break;
    }
}

std::uint8_t ReadOutputPins8255(const Chip8255& chip, int port)
{
    if (port == _PortC)
        return ComposePortC(chip, false);
    if (IsStrobedOutput(chip, port) || !IsInput8255(chip, port))
        return chip.Latch[port];
    return 0;
}

void Strobe8255(Chip8255& chip, int port, std::uint8_t value)
{
    chip.Pins[port] = value;
    if (port != _PortC && IsStrobedInput(chip, port)) {
        chip.Strobed[port] = value;
        chip.InputFull[port] = true;
    }
}

void Acknowledge8255(Chip8255& chip, int port)
{
    if (port != _PortC && IsStrobedOutput(chip, port))
        chip.OutputFull[port] = false;
}

bool IsRequesting8255(const Chip8255& chip, int port)
{
    if (port == _PortA) {
        const int mode = DecodeGroupAMode(chip);
        if (mode == 0)
            return false;
        const bool in = (mode == 2 || (chip.Control & _AInput)) && chip.EnableIn[_PortA] && chip.InputFull[_PortA];
        const bool out = (mode == 2 || !(chip.Control & _AInput)) && chip.EnableOut && !chip.OutputFull[_PortA];
        return in || out;
    }
    if (DecodeGroupBMode(chip) != 1)
        return false;
    if (chip.Control & _BInput)
        return chip.EnableIn[_PortB] && chip.InputFull[_PortB];
    return chip.EnableIn[_PortB] && !chip.OutputFull[_PortB];
}
