// The 8253/8254 counters.
#include "Chip8253.h"

namespace {

constexpr std::uint8_t _Bcd = 0x01;

int ReadLoad(const Counter8253& counter)
{
    return (counter.Control >> 4) & 3;
}
bool IsBcd(const Counter8253& counter)
{
    return counter.Control & _Bcd;
}

// The written count as a number of clocks: 0 is the largest count.
std::uint32_t InitialCount(const Counter8253& counter)
{
    std::uint32_t value = counter.Written;
    if (IsBcd(counter)) {
        value = ((value >> 12) & 0xF) * 1000 + ((value >> 8) & 0xF) * 100 + ((value >> 4) & 0xF) * 10 + (value & 0xF);
        return value == 0 ? 10000 : value;
    }
    return value == 0 ? 65536 : value;
}

std::uint16_t Encode(const Counter8253& counter, std::uint32_t count)
{
    if (IsBcd(counter)) {
        count %= 10000;
        return static_cast<std::uint16_t>(((count / 1000) << 12) | (((count / 100) % 10) << 8) |
                                          (((count / 10) % 10) << 4) | (count % 10));
    }
    return static_cast<std::uint16_t>(count & 0xFFFF);
}

std::uint32_t Largest(const Counter8253& counter)
{
    return IsBcd(counter) ? 10000 : 65536;
}

void Load(Counter8253& counter)
{
    counter.Period = InitialCount(counter);
    counter.Count = counter.Period % Largest(counter);
    counter.Pending = false;
    counter.NullCount = false;
    counter.Counting = true;
    counter.Fired = false;
}

// One clock of the counting element; it goes round from 0 to the largest.
void Decrement(Counter8253& counter)
{
    counter.Count = (counter.Count + Largest(counter) - 1) % Largest(counter);
}

bool AtZero(const Counter8253& counter)
{
    return counter.Count == 0;
}

void StartSquare(Counter8253& counter)
{
    Load(counter);
    counter.Out = true;
    counter.HalfLeft = (counter.Period + 1) / 2;
}

void ClockOnce(Counter8253& counter)
{
    const int mode = DecodeCounterMode(counter);
    switch (mode) {
    case 0: // interrupt on terminal count
    case 4: // software triggered strobe
        if (mode == 4 && counter.Fired && !counter.Out) {
            counter.Out = true; // the strobe lasts one clock
        }
        if (counter.Pending) {
            Load(counter);
            return;
        }
        if (!counter.Counting || !counter.Gate)
            return;
        Decrement(counter);
        if (AtZero(counter) && !counter.Fired) {
            counter.Fired = true;
            counter.Out = mode == 0;
        }
        return;
    case 1: // hardware retriggerable one-shot
    case 5: // hardware triggered strobe
        if (mode == 5 && counter.Fired && !counter.Out)
            counter.Out = true;
        if (counter.Armed) {
            counter.Armed = false;
            Load(counter);
            if (mode == 1)
                counter.Out = false;
            return;
        }
        if (!counter.Counting)
            return;
        Decrement(counter);
        if (AtZero(counter) && !counter.Fired) {
            counter.Fired = true;
            counter.Out = mode == 1 ? true : false;
        }
        return;
    case 2: // rate generator
        if (counter.Pending && !counter.Counting) {
            Load(counter);
            return;
        }
        if (!counter.Counting || !counter.Gate)
            return;
        if (counter.Count == 1) {
            // OUT went low for the clock that brought the count to 1; now
            // the count is loaded again (a new one if written).
            Load(counter);
            counter.Out = true;
            return;
        }
        Decrement(counter);
        if (counter.Count == 1)
            counter.Out = false;
        return;
    case 3: // square wave
        if (counter.Pending && !counter.Counting) {
            StartSquare(counter);
            return;
        }
        if (!counter.Counting || !counter.Gate)
            return;
        if (--counter.HalfLeft > 0)
            return;
        if (counter.Out) {
            counter.Out = false;
            counter.HalfLeft = counter.Period / 2;
        } else {
            if (counter.Pending)
                Load(counter);
            counter.Out = true;
            counter.HalfLeft = (counter.Period + 1) / 2;
        }
        return;
    default: return;
    }
}

void WriteControl(Chip8253& chip, std::uint8_t value)
{
    const int select = value >> 6;
    if (select == 3) {
        if (!chip.ReadBack)
            return; // the 8253 has no read-back command
        for (int i = 0; i < 3; ++i) {
            if (!(value & (2 << i)))
                continue;
            Counter8253& counter = chip.Counters[i];
            if (!(value & 0x20) && !counter.CountLatched) {
                counter.CountLatched = true;
                counter.LatchedCount = ReadCountingElement(counter);
                counter.LatchedMsbNext = false;
            }
            if (!(value & 0x10) && !counter.StatusLatched) {
                counter.StatusLatched = true;
                counter.LatchedStatus = static_cast<std::uint8_t>((counter.Out ? 0x80 : 0) |
                                                                  (counter.NullCount ? 0x40 : 0) | counter.Control);
            }
        }
        return;
    }
    Counter8253& counter = chip.Counters[select];
    if (((value >> 4) & 3) == 0) {
        // The counter latch command; a second one before the read is ignored.
        if (!counter.CountLatched) {
            counter.CountLatched = true;
            counter.LatchedCount = ReadCountingElement(counter);
            counter.LatchedMsbNext = false;
        }
        return;
    }
    const bool gate = counter.Gate;
    counter = Counter8253{};
    counter.Gate = gate;
    counter.Control = value & 0x3F;
    counter.Out = DecodeCounterMode(counter) != 0; // mode 0 puts OUT low, the others high
}

void WriteCount(Counter8253& counter, std::uint8_t value)
{
    switch (ReadLoad(counter)) {
    case 1: counter.Written = value; break;
    case 2: counter.Written = static_cast<std::uint16_t>(value << 8); break;
    default:
        if (!counter.WriteMsbNext) {
            counter.Written = static_cast<std::uint16_t>((counter.Written & 0xFF00) | value);
            counter.WriteMsbNext = true;
            if (DecodeCounterMode(counter) == 0) {
                counter.Counting = false; // the first byte stops the count
                counter.Out = false;
            }
            return;
        }
        counter.Written = static_cast<std::uint16_t>((counter.Written & 0x00FF) | (value << 8));
        counter.WriteMsbNext = false;
        break;
    }
    counter.NullCount = true;
    const int mode = DecodeCounterMode(counter);
    if (mode == 0) {
        counter.Out = false;
        counter.Counting = false;
    }
    if (mode == 0 || mode == 4) {
        counter.Pending = true; // loaded at the next clock, counting anew
    } else if (mode == 2 || mode == 3) {
        counter.Pending = true; // loaded at once if idle, else at the end of the period
    }
    // Modes 1 and 5 wait for a trigger on GATE.
}

std::uint8_t ReadCount(Counter8253& counter)
{
    if (counter.StatusLatched) {
        counter.StatusLatched = false;
        return counter.LatchedStatus;
    }
    const bool latched = counter.CountLatched;
    const std::uint16_t value = latched ? counter.LatchedCount : ReadCountingElement(counter);
    std::uint8_t byte = 0;
    switch (ReadLoad(counter)) {
    case 1:
        byte = value & 0xFF;
        counter.CountLatched = false;
        break;
    case 2:
        byte = value >> 8;
        counter.CountLatched = false;
        break;
    default: {
        bool& msbNext = latched ? counter.LatchedMsbNext : counter.ReadMsbNext;
        byte = msbNext ? (value >> 8) : (value & 0xFF);
        if (msbNext && latched)
            counter.CountLatched = false;
        msbNext = !msbNext;
        break;
    }
    }
    return byte;
}

} // namespace

void Reset8253(Chip8253& chip, bool is8254)
{
    chip = Chip8253{};
    chip.ReadBack = is8254;
}

int DecodeCounterMode(const Counter8253& counter)
{
    const int mode = (counter.Control >> 1) & 7;
    return mode >= 6 ? mode - 4 : mode; // 110 and 111 are modes 2 and 3
}

std::uint16_t ReadCountingElement(const Counter8253& counter)
{
    if (DecodeCounterMode(counter) == 3 && counter.Counting)
        return Encode(counter, counter.HalfLeft * 2); // mode 3 counts down by twos
    return Encode(counter, counter.Counting ? counter.Count : 0);
}

std::uint8_t Read8253(Chip8253& chip, int offset)
{
    if ((offset & 3) == 3)
        return 0xFF;
    return ReadCount(chip.Counters[offset & 3]);
}

void Write8253(Chip8253& chip, int offset, std::uint8_t value)
{
    if ((offset & 3) == 3)
        WriteControl(chip, value);
    else
        WriteCount(chip.Counters[offset & 3], value);
}

void Clock8253(Chip8253& chip, int counter, std::uint64_t pulses)
{
    for (int i = 0; i < 3; ++i) {
        if (counter != -1 && counter != i)
            continue;
        Counter8253& c = chip.Counters[i];
        if (c.Control == 0 && !c.Counting && !c.Pending)
            continue; // never programmed
        for (std::uint64_t n = 0; n < pulses; ++n)
            ClockOnce(c);
    }
}

void SetGate8253(Chip8253& chip, int counter, bool level)
{
    Counter8253& c = chip.Counters[counter];
    const bool rising = level && !c.Gate;
    c.Gate = level;
    const int mode = DecodeCounterMode(c);
    if ((mode == 2 || mode == 3) && !level)
        c.Out = true;
    if (!rising)
        return;
    if (mode == 1 || mode == 5) {
        c.Armed = true;
    } else if (mode == 2 || mode == 3) {
        c.Counting = false;
        c.Pending = true;
    }
}
