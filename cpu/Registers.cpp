#include "Registers.h"

namespace {

unsigned MakePair(std::uint8_t high, std::uint8_t low)
{
    return static_cast<unsigned>((high << 8) | low);
}

void SplitPair(unsigned value, std::uint8_t& high, std::uint8_t& low)
{
    high = static_cast<std::uint8_t>(value >> 8);
    low = static_cast<std::uint8_t>(value);
}

template <std::uint8_t Bit>
unsigned ReadFlag(const CpuState& cpu)
{
    return (cpu.F & Bit) ? 1 : 0;
}

template <std::uint8_t Bit>
void WriteFlag(CpuState& cpu, unsigned value)
{
    cpu.F = static_cast<std::uint8_t>(value != 0 ? cpu.F | Bit : cpu.F & ~Bit);
}

// A byte register: the member it lives in.
template <std::uint8_t CpuState::*Member>
unsigned ReadByte(const CpuState& cpu)
{
    return cpu.*Member;
}

template <std::uint8_t CpuState::*Member>
void WriteByte(CpuState& cpu, unsigned value)
{
    cpu.*Member = static_cast<std::uint8_t>(value);
}

// A pair of byte registers, high byte first.
template <std::uint8_t CpuState::*High, std::uint8_t CpuState::*Low>
unsigned ReadPair(const CpuState& cpu)
{
    return MakePair(cpu.*High, cpu.*Low);
}

template <std::uint8_t CpuState::*High, std::uint8_t CpuState::*Low>
void WritePair(CpuState& cpu, unsigned value)
{
    SplitPair(value, cpu.*High, cpu.*Low);
}

constexpr RegisterInfo _Registers[] = {
    // A new PC ends a halt: the processor fetches from there.
    {"PC", RegisterKind::Register, 16, false, [](const CpuState& cpu) -> unsigned { return cpu.PC; },
     [](CpuState& cpu, unsigned value) {
         cpu.PC = static_cast<std::uint16_t>(value);
         cpu.Halted = false;
     }},
    {"SP", RegisterKind::Register, 16, false, [](const CpuState& cpu) -> unsigned { return cpu.SP; },
     [](CpuState& cpu, unsigned value) { cpu.SP = static_cast<std::uint16_t>(value); }},
    {"A", RegisterKind::Register, 8, false, ReadByte<&CpuState::A>, WriteByte<&CpuState::A>},
    {"B", RegisterKind::Register, 8, false, ReadByte<&CpuState::B>, WriteByte<&CpuState::B>},
    {"C", RegisterKind::Register, 8, false, ReadByte<&CpuState::C>, WriteByte<&CpuState::C>},
    {"D", RegisterKind::Register, 8, false, ReadByte<&CpuState::D>, WriteByte<&CpuState::D>},
    {"E", RegisterKind::Register, 8, false, ReadByte<&CpuState::E>, WriteByte<&CpuState::E>},
    {"H", RegisterKind::Register, 8, false, ReadByte<&CpuState::H>, WriteByte<&CpuState::H>},
    {"L", RegisterKind::Register, 8, false, ReadByte<&CpuState::L>, WriteByte<&CpuState::L>},
    {"BC", RegisterKind::Pair, 16, false, ReadPair<&CpuState::B, &CpuState::C>, WritePair<&CpuState::B, &CpuState::C>},
    {"DE", RegisterKind::Pair, 16, false, ReadPair<&CpuState::D, &CpuState::E>, WritePair<&CpuState::D, &CpuState::E>},
    {"HL", RegisterKind::Pair, 16, false, ReadPair<&CpuState::H, &CpuState::L>, WritePair<&CpuState::H, &CpuState::L>},
    // Read as PUSH PSW pushes it; written as given, bits the model lacks included.
    {"PSW", RegisterKind::Pair, 16, false, [](const CpuState& cpu) { return MakePair(cpu.A, PswByte(cpu)); },
     WritePair<&CpuState::A, &CpuState::F>},
    {"S", RegisterKind::Flag, 1, false, ReadFlag<_FlagS>, WriteFlag<_FlagS>},
    {"Z", RegisterKind::Flag, 1, false, ReadFlag<_FlagZ>, WriteFlag<_FlagZ>},
    {"AC", RegisterKind::Flag, 1, false, ReadFlag<_FlagAC>, WriteFlag<_FlagAC>},
    {"P", RegisterKind::Flag, 1, false, ReadFlag<_FlagP>, WriteFlag<_FlagP>},
    {"CY", RegisterKind::Flag, 1, false, ReadFlag<_FlagCY>, WriteFlag<_FlagCY>},
    {"V", RegisterKind::Flag, 1, true, ReadFlag<_FlagV>, WriteFlag<_FlagV>},
    {"K", RegisterKind::Flag, 1, true, ReadFlag<_FlagK>, WriteFlag<_FlagK>},
};

} // namespace

std::span<const RegisterInfo> ListRegisters()
{
    return _Registers;
}

const RegisterInfo* FindRegisterInfo(std::string_view name)
{
    for (const RegisterInfo& row : _Registers) {
        if (name == row.Name)
            return &row;
    }
    return nullptr;
}

bool HasRegister(const RegisterInfo& row, CpuModel model)
{
    return !row.Only8085 || model == CpuModel::I8085;
}
