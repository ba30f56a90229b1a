#include "RandomPrograms.h"

#include "Cpu.h"

#include <algorithm>
#include <random>

bool IsGuardedByte(std::uint8_t byte)
{
    switch (byte) {
    case 0x27: // DAA
    case 0xF5: // PUSH PSW
    case 0xCB:
    case 0xD9:
    case 0xDD:
    case 0xED:
    case 0xFD: // the duplicates
    case 0xD3:
    case 0xDB: // OUT, IN: their ports are chosen
        return true;
    default: return false;
    }
}

bool IsDuplicate(std::uint8_t opcode)
{
    return opcode == 0xCB || opcode == 0xD9 || opcode == 0xDD || opcode == 0xED || opcode == 0xFD;
}

namespace {

// One instruction, or one of the guarded sequences; Target is the unit a
// two-byte address at TargetOffset must point to, -1 for none.
struct Unit {
    std::vector<std::uint8_t> Bytes;
    int Target = -1;
    int TargetOffset = 0;
};

class Generator {
public:
    explicit Generator(std::uint32_t seed)
        : random_(seed)
    {}

    RandomProgram Generate()
    {
        std::vector<Unit> units;
        for (int i = 0; i < _RandomUnitsPerProgram; ++i)
            units.push_back(MakeUnit());
        units.push_back({{_RandomHlt}});
        RandomProgram machine;
        std::vector<std::uint16_t> starts;
        std::uint16_t address = _RandomCodeStart;
        for (const Unit& unit : units) {
            starts.push_back(address);
            address = static_cast<std::uint16_t>(address + unit.Bytes.size());
        }
        for (std::size_t i = 0; i < units.size(); ++i) {
            Unit& unit = units[i];
            if (unit.Target >= 0) {
                const std::uint16_t target = starts[static_cast<std::size_t>(unit.Target) % starts.size()];
                unit.Bytes[unit.TargetOffset] = static_cast<std::uint8_t>(target);
                unit.Bytes[unit.TargetOffset + 1] = static_cast<std::uint8_t>(target >> 8);
            }
            std::copy(unit.Bytes.begin(), unit.Bytes.end(), machine.Memory.begin() + starts[i]);
        }
        machine.CodeEnd = address;
        for (int vector = 0; vector < 0x40; vector += 8)
            machine.Memory[vector] = _RandomRet;
        for (int i = 0; i < 256; ++i)
            machine.Memory[_RandomDataStart + i] = SafeByte();
        for (unsigned i = _RandomStackFill; i < _RandomStackFill + 0x400; i += 2) {
            const std::uint16_t target = starts[Below(static_cast<unsigned>(starts.size()))];
            machine.Memory[i] = static_cast<std::uint8_t>(target);
            machine.Memory[i + 1] = static_cast<std::uint8_t>(target >> 8);
        }
        machine.SP = StackValue();
        machine.A = SafeByte();
        machine.F = static_cast<std::uint8_t>(SafeByte() & 0xD5);
        SetPairValue(machine.B, machine.C, DataAddress());
        SetPairValue(machine.D, machine.E, DataAddress());
        SetPairValue(machine.H, machine.L, DataAddress());
        return machine;
    }

private:
    unsigned Below(unsigned bound)
    {
        return std::uniform_int_distribution<unsigned>(0, bound - 1)(random_);
    }

    std::uint8_t SafeByte()
    {
        for (;;) {
            const auto byte = static_cast<std::uint8_t>(Below(256));
            if (!IsGuardedByte(byte))
                return byte;
        }
    }

    std::uint16_t DataAddress()
    {
        return static_cast<std::uint16_t>(_RandomDataStart + Below(256));
    }
    std::uint16_t StackValue()
    {
        return static_cast<std::uint16_t>(_RandomStackLow + 2 * Below(256));
    }

    // A random word none of whose bytes is guarded, or an address in the data.
    std::uint16_t WordValue()
    {
        if (Below(2) == 0)
            return DataAddress();
        return static_cast<std::uint16_t>(SafeByte() | (SafeByte() << 8));
    }

    static void SetPairValue(std::uint8_t& high, std::uint8_t& low, std::uint16_t value)
    {
        high = static_cast<std::uint8_t>(value >> 8);
        low = static_cast<std::uint8_t>(value);
    }

    static void AppendWord(Unit& unit, std::uint16_t value)
    {
        unit.Bytes.push_back(static_cast<std::uint8_t>(value));
        unit.Bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    }

    int AnyUnit()
    {
        return static_cast<int>(Below(_RandomUnitsPerProgram + 1));
    }

    Unit MakeUnit()
    {
        for (;;) {
            const auto opcode = static_cast<std::uint8_t>(Below(256));
            if (IsDuplicate(opcode) || opcode == _RandomHlt)
                continue;
            return MakeUnitOf(opcode);
        }
    }

    Unit MakeUnitOf(std::uint8_t opcode)
    {
        Unit unit;
        switch (opcode) {
        case 0x27: { // DAA after ADD, ADC, INR, ORA or XRA of a register, or ADI, ACI
            static const std::uint8_t firsts[] = {0x80, 0x88, 0x04, 0xB0, 0xA8, 0xC6, 0xCE};
            const std::uint8_t first = firsts[Below(sizeof firsts)];
            if (first == 0x04)
                unit.Bytes = {static_cast<std::uint8_t>(first | (Below(8) << 3))};
            else if (first >= 0xC0)
                unit.Bytes = {first, SafeByte()};
            else
                unit.Bytes = {static_cast<std::uint8_t>(first | Below(8))};
            unit.Bytes.push_back(0x27);
            return unit;
        }
        case 0xF5: unit.Bytes = {0xF5, 0xF1, 0xC5, 0xC1}; return unit;
        case 0xD3:
        case 0xDB: unit.Bytes = {opcode, static_cast<std::uint8_t>(0x40 + Below(0xB0))}; return unit;
        case 0x31:
            unit.Bytes = {opcode};
            AppendWord(unit, StackValue());
            return unit; // LXI SP
        case 0xF9:
            unit.Bytes = {0x21};
            AppendWord(unit, StackValue());
            unit.Bytes.push_back(0xF9);
            return unit; // SPHL
        case 0xE9:       // PCHL to a unit
            unit.Bytes = {0x21, 0, 0, 0xE9};
            unit.Target = AnyUnit();
            unit.TargetOffset = 1;
            return unit;
        case 0x22:
        case 0x2A:
        case 0x32:
        case 0x3A:
            unit.Bytes = {opcode};
            AppendWord(unit, DataAddress());
            return unit; // SHLD LHLD STA LDA
        default: break;
        }
        const InstructionInfo& info = DescribeOpcode(CpuModel::I8080, opcode);
        unit.Bytes = {opcode};
        switch (info.Value) {
        case ValueKind::Byte:
        case ValueKind::Port: unit.Bytes.push_back(SafeByte()); break;
        case ValueKind::Word: AppendWord(unit, WordValue()); break;
        case ValueKind::Address: // the jumps and calls
            AppendWord(unit, 0);
            unit.Target = AnyUnit();
            unit.TargetOffset = 1;
            break;
        default: break;
        }
        return unit;
    }

    std::mt19937 random_;
};

} // namespace

std::vector<RandomProgram> GenerateRandomPrograms(std::uint32_t seed, int count)
{
    Generator generator(seed);
    std::vector<RandomProgram> programs;
    for (int i = 0; i < count; ++i)
        programs.push_back(generator.Generate());
    return programs;
}
