// The processor core: the interpreter loop of both models, the interrupt
// logic and the stepping and running entry points.
//
// The loop keeps the registers in local variables and leaves only when its
// budget of instructions is spent or an instruction may change whether an
// interrupt can be taken (HLT, EI, SIM); interrupts, EI's delay and HLT are
// handled one instruction at a time outside it. Options that are off cost
// nothing inside it: tracing steps through StepCpu, and the CP/M console
// traps through HLTs placed in memory.
#include "Cpu.h"
#include "Flags.h"
#include "Interrupts.h"

#include <array>
#include <cstdint>
#include <utility>

namespace {

// T-states of every opcode, from the instruction set table: Base when a
// condition does not hold (or the instruction has none), Base + Extra when
// it does.
struct StateTable {
    std::array<std::uint8_t, 256> Base;
    std::array<std::uint8_t, 256> Extra;
};

StateTable BuildStateTable(CpuModel model)
{
    StateTable table{};
    for (int opcode = 0; opcode < 256; ++opcode) {
        const InstructionInfo& info = DescribeOpcode(model, static_cast<std::uint8_t>(opcode));
        table.Base[opcode] = info.States;
        table.Extra[opcode] = static_cast<std::uint8_t>(info.StatesTaken - info.States);
    }
    return table;
}

const StateTable& StatesOf(CpuModel model)
{
    static const StateTable table8080 = BuildStateTable(CpuModel::I8080);
    static const StateTable table8085 = BuildStateTable(CpuModel::I8085);
    return model == CpuModel::I8085 ? table8085 : table8080;
}

// The accumulator operations: the result goes to A, the flags come from
// Flags.h.
template <bool Is8085>
inline void AddToA(std::uint8_t& a, std::uint8_t& f, std::uint8_t value, unsigned carry)
{
    const unsigned sum = a + value + carry;
    f = flags::AddFlags<Is8085>(a, value, sum);
    a = static_cast<std::uint8_t>(sum);
}

template <bool Is8085>
inline void SubtractFromA(std::uint8_t& a, std::uint8_t& f, std::uint8_t value, unsigned borrow)
{
    const unsigned difference = static_cast<unsigned>(a) - value - borrow;
    f = flags::SubtractFlags<Is8085>(a, value, difference);
    a = static_cast<std::uint8_t>(difference);
}

template <bool Is8085>
inline void CompareWithA(std::uint8_t a, std::uint8_t& f, std::uint8_t value)
{
    f = flags::SubtractFlags<Is8085>(a, value, static_cast<unsigned>(a) - value);
}

template <bool Is8085>
inline void AndWithA(std::uint8_t& a, std::uint8_t& f, std::uint8_t value)
{
    const unsigned result = a & value;
    f = flags::AndFlags<Is8085>(a, value, result);
    a = static_cast<std::uint8_t>(result);
}

template <bool Is8085>
inline void XorWithA(std::uint8_t& a, std::uint8_t& f, std::uint8_t value)
{
    a = static_cast<std::uint8_t>(a ^ value);
    f = flags::OrFlags<Is8085>(a);
}

template <bool Is8085>
inline void OrWithA(std::uint8_t& a, std::uint8_t& f, std::uint8_t value)
{
    a = static_cast<std::uint8_t>(a | value);
    f = flags::OrFlags<Is8085>(a);
}

template <bool Is8085>
inline std::uint8_t Increment(std::uint8_t& f, std::uint8_t value)
{
    f = flags::IncrementFlags<Is8085>(f, value);
    return static_cast<std::uint8_t>(value + 1);
}

template <bool Is8085>
inline std::uint8_t Decrement(std::uint8_t& f, std::uint8_t value)
{
    f = flags::DecrementFlags<Is8085>(f, value);
    return static_cast<std::uint8_t>(value - 1);
}

// Why Execute returned.
enum class Exit : std::uint8_t {
    Budget,     // it ran the instructions it was given
    Halt,       // HLT
    Interrupts, // EI or SIM: whether an interrupt can be taken may have changed
};

// Runs up to budget instructions (at least one) and returns why it stopped.
template <bool Is8085>
Exit Execute(CpuState& cpu, std::uint64_t budget)
{
    const StateTable& table = StatesOf(cpu.Model);
    const std::uint8_t* const base = table.Base.data();
    const std::uint8_t* const extra = table.Extra.data();
    std::uint8_t* const m = cpu.Memory;
    std::uint16_t pc = cpu.PC;
    std::uint16_t sp = cpu.SP;
    std::uint8_t a = cpu.A, b = cpu.B, c = cpu.C, d = cpu.D, e = cpu.E, h = cpu.H, l = cpu.L, f = cpu.F;
    std::uint64_t states = cpu.States;
    std::uint64_t done = 0;
    Exit exit = Exit::Budget;

    const auto HL = [&] { return static_cast<std::uint16_t>((h << 8) | l); };
    const auto BC = [&] { return static_cast<std::uint16_t>((b << 8) | c); };
    const auto DE = [&] { return static_cast<std::uint16_t>((d << 8) | e); };
    const auto ReadWord = [&](std::uint16_t address) {
        return static_cast<std::uint16_t>(m[address] | (m[static_cast<std::uint16_t>(address + 1)] << 8));
    };
    const auto WriteWord = [&](std::uint16_t address, std::uint16_t value) {
        m[address] = static_cast<std::uint8_t>(value);
        m[static_cast<std::uint16_t>(address + 1)] = static_cast<std::uint8_t>(value >> 8);
    };
    const auto FetchByte = [&] { return m[pc++]; };
    const auto FetchWord = [&] {
        const std::uint16_t value = ReadWord(pc);
        pc = static_cast<std::uint16_t>(pc + 2);
        return value;
    };
    const auto Push = [&](std::uint16_t value) {
        sp = static_cast<std::uint16_t>(sp - 2);
        WriteWord(sp, value);
    };
    const auto Pop = [&] {
        const std::uint16_t value = ReadWord(sp);
        sp = static_cast<std::uint16_t>(sp + 2);
        return value;
    };
    const auto JumpIf = [&](bool condition, std::uint8_t opcode) {
        const std::uint16_t target = FetchWord();
        if (condition) {
            pc = target;
            states += extra[opcode];
        }
    };
    const auto CallIf = [&](bool condition, std::uint8_t opcode) {
        const std::uint16_t target = FetchWord();
        if (condition) {
            Push(pc);
            pc = target;
            states += extra[opcode];
        }
    };
    const auto ReturnIf = [&](bool condition, std::uint8_t opcode) {
        if (condition) {
            pc = Pop();
            states += extra[opcode];
        }
    };
    const auto Restart = [&](std::uint16_t vector) {
        Push(pc);
        pc = vector;
    };
    const auto SetPair = [](std::uint8_t& high, std::uint8_t& low, unsigned value) {
        high = static_cast<std::uint8_t>(value >> 8);
        low = static_cast<std::uint8_t>(value);
    };
    const auto AddToHL = [&](unsigned value) {
        const unsigned sum = HL() + value;
        f = flags::DoubleAddFlags(f, sum);
        SetPair(h, l, sum);
    };
    const auto Stop = [&](Exit why) {
        exit = why;
        budget = done;
    };

    while (done != budget) {
        ++done;
        const std::uint8_t op = m[pc++];
        states += base[op];
        switch (op) {
        case 0x00: break; // NOP
        case 0x01: c = FetchByte(); b = FetchByte(); break; // LXI B
        case 0x02: m[BC()] = a; break;                      // STAX B
        case 0x03: { // INX B
            const std::uint16_t value = static_cast<std::uint16_t>(BC() + 1);
            SetPair(b, c, value);
            f = flags::IncrementPairFlags<Is8085>(f, value == 0x0000);
            break;
        }
        case 0x04: b = Increment<Is8085>(f, b); break; // INR B
        case 0x05: b = Decrement<Is8085>(f, b); break; // DCR B
        case 0x06: b = FetchByte(); break;             // MVI B
        case 0x07: // RLC
            f = flags::RotateFlags(f, a >> 7);
            a = static_cast<std::uint8_t>((a << 1) | (a >> 7));
            break;
        case 0x08: // DSUB (8085), NOP (8080)
            if constexpr (Is8085) {
                const unsigned low = static_cast<unsigned>(l) - c;
                const unsigned high = static_cast<unsigned>(h) - b - ((low >> 8) & 1);
                const std::uint8_t lowByte = static_cast<std::uint8_t>(low);
                const std::uint8_t highByte = static_cast<std::uint8_t>(high);
                f = flags::DoubleSubtractFlags(h, b, high, (lowByte | highByte) == 0);
                h = highByte;
                l = lowByte;
            }
            break;
        case 0x09: AddToHL(BC()); break;     // DAD B
        case 0x0A: a = m[BC()]; break;       // LDAX B
        case 0x0B: { // DCX B
            const std::uint16_t value = static_cast<std::uint16_t>(BC() - 1);
            SetPair(b, c, value);
            f = flags::IncrementPairFlags<Is8085>(f, value == 0xFFFF);
            break;
        }
        case 0x0C: c = Increment<Is8085>(f, c); break; // INR C
        case 0x0D: c = Decrement<Is8085>(f, c); break; // DCR C
        case 0x0E: c = FetchByte(); break;             // MVI C
        case 0x0F: // RRC
            f = flags::RotateFlags(f, a);
            a = static_cast<std::uint8_t>((a >> 1) | (a << 7));
            break;
        case 0x10: // ARHL (8085), NOP (8080)
            if constexpr (Is8085) {
                f = flags::ShiftRightPairFlags(f, l);
                l = static_cast<std::uint8_t>((l >> 1) | (h << 7));
                h = static_cast<std::uint8_t>((h >> 1) | (h & 0x80));
            }
            break;
        case 0x11: e = FetchByte(); d = FetchByte(); break; // LXI D
        case 0x12: m[DE()] = a; break;                      // STAX D
        case 0x13: { // INX D
            const std::uint16_t value = static_cast<std::uint16_t>(DE() + 1);
            SetPair(d, e, value);
            f = flags::IncrementPairFlags<Is8085>(f, value == 0x0000);
            break;
        }
        case 0x14: d = Increment<Is8085>(f, d); break; // INR D
        case 0x15: d = Decrement<Is8085>(f, d); break; // DCR D
        case 0x16: d = FetchByte(); break;             // MVI D
        case 0x17: { // RAL
            const unsigned carry = f & _FlagCY;
            f = flags::RotateFlags(f, a >> 7);
            a = static_cast<std::uint8_t>((a << 1) | carry);
            break;
        }
        case 0x18: // RDEL (8085), NOP (8080)
            if constexpr (Is8085) {
                const unsigned before = DE();
                const unsigned after = ((before << 1) | (f & _FlagCY)) & 0xFFFF;
                f = flags::RotatePairFlags(f, before, after);
                SetPair(d, e, after);
            }
            break;
        case 0x19: AddToHL(DE()); break; // DAD D
        case 0x1A: a = m[DE()]; break;   // LDAX D
        case 0x1B: { // DCX D
            const std::uint16_t value = static_cast<std::uint16_t>(DE() - 1);
            SetPair(d, e, value);
            f = flags::IncrementPairFlags<Is8085>(f, value == 0xFFFF);
            break;
        }
        case 0x1C: e = Increment<Is8085>(f, e); break; // INR E
        case 0x1D: e = Decrement<Is8085>(f, e); break; // DCR E
        case 0x1E: e = FetchByte(); break;             // MVI E
        case 0x1F: { // RAR
            const unsigned carry = f & _FlagCY;
            f = flags::RotateFlags(f, a);
            a = static_cast<std::uint8_t>((a >> 1) | (carry << 7));
            break;
        }
        case 0x20: // RIM (8085), NOP (8080)
            if constexpr (Is8085)
                a = ReadInterruptMasks(cpu);
            break;
        case 0x21: l = FetchByte(); h = FetchByte(); break; // LXI H
        case 0x22: WriteWord(FetchWord(), HL()); break;     // SHLD
        case 0x23: { // INX H
            const std::uint16_t value = static_cast<std::uint16_t>(HL() + 1);
            SetPair(h, l, value);
            f = flags::IncrementPairFlags<Is8085>(f, value == 0x0000);
            break;
        }
        case 0x24: h = Increment<Is8085>(f, h); break; // INR H
        case 0x25: h = Decrement<Is8085>(f, h); break; // DCR H
        case 0x26: h = FetchByte(); break;             // MVI H
        case 0x27: flags::DecimalAdjust<Is8085>(a, f); break; // DAA
        case 0x28: // LDHI (8085), NOP (8080)
            if constexpr (Is8085)
                SetPair(d, e, HL() + FetchByte());
            break;
        case 0x29: AddToHL(HL()); break; // DAD H
        case 0x2A: { // LHLD
            const std::uint16_t value = ReadWord(FetchWord());
            SetPair(h, l, value);
            break;
        }
        case 0x2B: { // DCX H
            const std::uint16_t value = static_cast<std::uint16_t>(HL() - 1);
            SetPair(h, l, value);
            f = flags::IncrementPairFlags<Is8085>(f, value == 0xFFFF);
            break;
        }
        case 0x2C: l = Increment<Is8085>(f, l); break; // INR L
        case 0x2D: l = Decrement<Is8085>(f, l); break; // DCR L
        case 0x2E: l = FetchByte(); break;             // MVI L
        case 0x2F: a = static_cast<std::uint8_t>(~a); break; // CMA: "No flags are affected."
        case 0x30: // SIM (8085), NOP (8080)
            if constexpr (Is8085) {
                SetInterruptMasks(cpu, a);
                Stop(Exit::Interrupts);
            }
            break;
        case 0x31: sp = FetchWord(); break;        // LXI SP
        case 0x32: m[FetchWord()] = a; break;      // STA
        case 0x33: { // INX SP
            sp = static_cast<std::uint16_t>(sp + 1);
            f = flags::IncrementPairFlags<Is8085>(f, sp == 0x0000);
            break;
        }
        case 0x34: { // INR M
            const std::uint16_t address = HL();
            m[address] = Increment<Is8085>(f, m[address]);
            break;
        }
        case 0x35: { // DCR M
            const std::uint16_t address = HL();
            m[address] = Decrement<Is8085>(f, m[address]);
            break;
        }
        case 0x36: { // MVI M
            const std::uint8_t value = FetchByte();
            m[HL()] = value;
            break;
        }
        case 0x37: f = flags::SetCarryFlags(f); break; // STC
        case 0x38: // LDSI (8085), NOP (8080)
            if constexpr (Is8085)
                SetPair(d, e, sp + FetchByte());
            break;
        case 0x39: AddToHL(sp); break;       // DAD SP
        case 0x3A: a = m[FetchWord()]; break; // LDA
        case 0x3B: { // DCX SP
            sp = static_cast<std::uint16_t>(sp - 1);
            f = flags::IncrementPairFlags<Is8085>(f, sp == 0xFFFF);
            break;
        }
        case 0x3C: a = Increment<Is8085>(f, a); break; // INR A
        case 0x3D: a = Decrement<Is8085>(f, a); break; // DCR A
        case 0x3E: a = FetchByte(); break;             // MVI A
        case 0x3F: f = flags::ComplementCarryFlags(f); break; // CMC
        case 0x40: break; // MOV B, B
        case 0x41: b = c; break; // MOV B, C
        case 0x42: b = d; break; // MOV B, D
        case 0x43: b = e; break; // MOV B, E
        case 0x44: b = h; break; // MOV B, H
        case 0x45: b = l; break; // MOV B, L
        case 0x46: b = m[HL()]; break; // MOV B, M
        case 0x47: b = a; break; // MOV B, A
        case 0x48: c = b; break; // MOV C, B
        case 0x49: break; // MOV C, C
        case 0x4A: c = d; break; // MOV C, D
        case 0x4B: c = e; break; // MOV C, E
        case 0x4C: c = h; break; // MOV C, H
        case 0x4D: c = l; break; // MOV C, L
        case 0x4E: c = m[HL()]; break; // MOV C, M
        case 0x4F: c = a; break; // MOV C, A
        case 0x50: d = b; break; // MOV D, B
        case 0x51: d = c; break; // MOV D, C
        case 0x52: break; // MOV D, D
        case 0x53: d = e; break; // MOV D, E
        case 0x54: d = h; break; // MOV D, H
        case 0x55: d = l; break; // MOV D, L
        case 0x56: d = m[HL()]; break; // MOV D, M
        case 0x57: d = a; break; // MOV D, A
        case 0x58: e = b; break; // MOV E, B
        case 0x59: e = c; break; // MOV E, C
        case 0x5A: e = d; break; // MOV E, D
        case 0x5B: break; // MOV E, E
        case 0x5C: e = h; break; // MOV E, H
        case 0x5D: e = l; break; // MOV E, L
        case 0x5E: e = m[HL()]; break; // MOV E, M
        case 0x5F: e = a; break; // MOV E, A
        case 0x60: h = b; break; // MOV H, B
        case 0x61: h = c; break; // MOV H, C
        case 0x62: h = d; break; // MOV H, D
        case 0x63: h = e; break; // MOV H, E
        case 0x64: break; // MOV H, H
        case 0x65: h = l; break; // MOV H, L
        case 0x66: h = m[HL()]; break; // MOV H, M
        case 0x67: h = a; break; // MOV H, A
        case 0x68: l = b; break; // MOV L, B
        case 0x69: l = c; break; // MOV L, C
        case 0x6A: l = d; break; // MOV L, D
        case 0x6B: l = e; break; // MOV L, E
        case 0x6C: l = h; break; // MOV L, H
        case 0x6D: break; // MOV L, L
        case 0x6E: l = m[HL()]; break; // MOV L, M
        case 0x6F: l = a; break; // MOV L, A
        case 0x70: m[HL()] = b; break; // MOV M, B
        case 0x71: m[HL()] = c; break; // MOV M, C
        case 0x72: m[HL()] = d; break; // MOV M, D
        case 0x73: m[HL()] = e; break; // MOV M, E
        case 0x74: m[HL()] = h; break; // MOV M, H
        case 0x75: m[HL()] = l; break; // MOV M, L
        case 0x76: // HLT: PC stays past it
            cpu.Halted = true;
            Stop(Exit::Halt);
            break;
        case 0x77: m[HL()] = a; break; // MOV M, A
        case 0x78: a = b; break; // MOV A, B
        case 0x79: a = c; break; // MOV A, C
        case 0x7A: a = d; break; // MOV A, D
        case 0x7B: a = e; break; // MOV A, E
        case 0x7C: a = h; break; // MOV A, H
        case 0x7D: a = l; break; // MOV A, L
        case 0x7E: a = m[HL()]; break; // MOV A, M
        case 0x7F: break; // MOV A, A
        case 0x80: AddToA<Is8085>(a, f, b, 0); break; // ADD B
        case 0x81: AddToA<Is8085>(a, f, c, 0); break; // ADD C
        case 0x82: AddToA<Is8085>(a, f, d, 0); break; // ADD D
        case 0x83: AddToA<Is8085>(a, f, e, 0); break; // ADD E
        case 0x84: AddToA<Is8085>(a, f, h, 0); break; // ADD H
        case 0x85: AddToA<Is8085>(a, f, l, 0); break; // ADD L
        case 0x86: AddToA<Is8085>(a, f, m[HL()], 0); break; // ADD M
        case 0x87: AddToA<Is8085>(a, f, a, 0); break; // ADD A
        case 0x88: AddToA<Is8085>(a, f, b, f & _FlagCY); break; // ADC B
        case 0x89: AddToA<Is8085>(a, f, c, f & _FlagCY); break; // ADC C
        case 0x8A: AddToA<Is8085>(a, f, d, f & _FlagCY); break; // ADC D
        case 0x8B: AddToA<Is8085>(a, f, e, f & _FlagCY); break; // ADC E
        case 0x8C: AddToA<Is8085>(a, f, h, f & _FlagCY); break; // ADC H
        case 0x8D: AddToA<Is8085>(a, f, l, f & _FlagCY); break; // ADC L
        case 0x8E: AddToA<Is8085>(a, f, m[HL()], f & _FlagCY); break; // ADC M
        case 0x8F: AddToA<Is8085>(a, f, a, f & _FlagCY); break; // ADC A
        case 0x90: SubtractFromA<Is8085>(a, f, b, 0); break; // SUB B
        case 0x91: SubtractFromA<Is8085>(a, f, c, 0); break; // SUB C
        case 0x92: SubtractFromA<Is8085>(a, f, d, 0); break; // SUB D
        case 0x93: SubtractFromA<Is8085>(a, f, e, 0); break; // SUB E
        case 0x94: SubtractFromA<Is8085>(a, f, h, 0); break; // SUB H
        case 0x95: SubtractFromA<Is8085>(a, f, l, 0); break; // SUB L
        case 0x96: SubtractFromA<Is8085>(a, f, m[HL()], 0); break; // SUB M
        case 0x97: SubtractFromA<Is8085>(a, f, a, 0); break; // SUB A
        case 0x98: SubtractFromA<Is8085>(a, f, b, f & _FlagCY); break; // SBB B
        case 0x99: SubtractFromA<Is8085>(a, f, c, f & _FlagCY); break; // SBB C
        case 0x9A: SubtractFromA<Is8085>(a, f, d, f & _FlagCY); break; // SBB D
        case 0x9B: SubtractFromA<Is8085>(a, f, e, f & _FlagCY); break; // SBB E
        case 0x9C: SubtractFromA<Is8085>(a, f, h, f & _FlagCY); break; // SBB H
        case 0x9D: SubtractFromA<Is8085>(a, f, l, f & _FlagCY); break; // SBB L
        case 0x9E: SubtractFromA<Is8085>(a, f, m[HL()], f & _FlagCY); break; // SBB M
        case 0x9F: SubtractFromA<Is8085>(a, f, a, f & _FlagCY); break; // SBB A
        case 0xA0: AndWithA<Is8085>(a, f, b); break; // ANA B
        case 0xA1: AndWithA<Is8085>(a, f, c); break; // ANA C
        case 0xA2: AndWithA<Is8085>(a, f, d); break; // ANA D
        case 0xA3: AndWithA<Is8085>(a, f, e); break; // ANA E
        case 0xA4: AndWithA<Is8085>(a, f, h); break; // ANA H
        case 0xA5: AndWithA<Is8085>(a, f, l); break; // ANA L
        case 0xA6: AndWithA<Is8085>(a, f, m[HL()]); break; // ANA M
        case 0xA7: AndWithA<Is8085>(a, f, a); break; // ANA A
        case 0xA8: XorWithA<Is8085>(a, f, b); break; // XRA B
        case 0xA9: XorWithA<Is8085>(a, f, c); break; // XRA C
        case 0xAA: XorWithA<Is8085>(a, f, d); break; // XRA D
        case 0xAB: XorWithA<Is8085>(a, f, e); break; // XRA E
        case 0xAC: XorWithA<Is8085>(a, f, h); break; // XRA H
        case 0xAD: XorWithA<Is8085>(a, f, l); break; // XRA L
        case 0xAE: XorWithA<Is8085>(a, f, m[HL()]); break; // XRA M
        case 0xAF: XorWithA<Is8085>(a, f, a); break; // XRA A
        case 0xB0: OrWithA<Is8085>(a, f, b); break; // ORA B
        case 0xB1: OrWithA<Is8085>(a, f, c); break; // ORA C
        case 0xB2: OrWithA<Is8085>(a, f, d); break; // ORA D
        case 0xB3: OrWithA<Is8085>(a, f, e); break; // ORA E
        case 0xB4: OrWithA<Is8085>(a, f, h); break; // ORA H
        case 0xB5: OrWithA<Is8085>(a, f, l); break; // ORA L
        case 0xB6: OrWithA<Is8085>(a, f, m[HL()]); break; // ORA M
        case 0xB7: OrWithA<Is8085>(a, f, a); break; // ORA A
        case 0xB8: CompareWithA<Is8085>(a, f, b); break; // CMP B
        case 0xB9: CompareWithA<Is8085>(a, f, c); break; // CMP C
        case 0xBA: CompareWithA<Is8085>(a, f, d); break; // CMP D
        case 0xBB: CompareWithA<Is8085>(a, f, e); break; // CMP E
        case 0xBC: CompareWithA<Is8085>(a, f, h); break; // CMP H
        case 0xBD: CompareWithA<Is8085>(a, f, l); break; // CMP L
        case 0xBE: CompareWithA<Is8085>(a, f, m[HL()]); break; // CMP M
        case 0xBF: CompareWithA<Is8085>(a, f, a); break; // CMP A
        case 0xC0: ReturnIf(!(f & _FlagZ), op); break; // RNZ
        case 0xC1: SetPair(b, c, Pop()); break;       // POP B
        case 0xC2: JumpIf(!(f & _FlagZ), op); break;  // JNZ
        case 0xC3: pc = FetchWord(); break;           // JMP
        case 0xC4: CallIf(!(f & _FlagZ), op); break;  // CNZ
        case 0xC5: Push(BC()); break;                 // PUSH B
        case 0xC6: AddToA<Is8085>(a, f, FetchByte(), 0); break; // ADI
        case 0xC7: Restart(0x00); break;              // RST 0
        case 0xC8: ReturnIf(f & _FlagZ, op); break;   // RZ
        case 0xC9: pc = Pop(); break;                 // RET
        case 0xCA: JumpIf(f & _FlagZ, op); break;     // JZ
        case 0xCB: // RSTV (8085), JMP (8080)
            if constexpr (Is8085) {
                if (f & _FlagV) {
                    Restart(0x40);
                    states += extra[op];
                }
            } else {
                pc = FetchWord();
            }
            break;
        case 0xCC: CallIf(f & _FlagZ, op); break;     // CZ
        case 0xCD: CallIf(true, op); break;           // CALL
        case 0xCE: AddToA<Is8085>(a, f, FetchByte(), f & _FlagCY); break; // ACI
        case 0xCF: Restart(0x08); break;              // RST 1
        case 0xD0: ReturnIf(!(f & _FlagCY), op); break; // RNC
        case 0xD1: SetPair(d, e, Pop()); break;       // POP D
        case 0xD2: JumpIf(!(f & _FlagCY), op); break; // JNC
        case 0xD3: { // OUT
            const std::uint8_t port = FetchByte();
            if (cpu.Io.Out)
                cpu.Io.Out(cpu.Io.Context, port, a);
            break;
        }
        case 0xD4: CallIf(!(f & _FlagCY), op); break; // CNC
        case 0xD5: Push(DE()); break;                 // PUSH D
        case 0xD6: SubtractFromA<Is8085>(a, f, FetchByte(), 0); break; // SUI
        case 0xD7: Restart(0x10); break;              // RST 2
        case 0xD8: ReturnIf(f & _FlagCY, op); break;  // RC
        case 0xD9: // SHLX (8085), RET (8080)
            if constexpr (Is8085)
                WriteWord(DE(), HL());
            else
                pc = Pop();
            break;
        case 0xDA: JumpIf(f & _FlagCY, op); break;    // JC
        case 0xDB: { // IN
            const std::uint8_t port = FetchByte();
            a = cpu.Io.In ? cpu.Io.In(cpu.Io.Context, port) : 0;
            break;
        }
        case 0xDC: CallIf(f & _FlagCY, op); break;    // CC
        case 0xDD: // JNK (8085), CALL (8080)
            if constexpr (Is8085)
                JumpIf(!(f & _FlagK), op);
            else
                CallIf(true, op);
            break;
        case 0xDE: SubtractFromA<Is8085>(a, f, FetchByte(), f & _FlagCY); break; // SBI
        case 0xDF: Restart(0x18); break;              // RST 3
        case 0xE0: ReturnIf(!(f & _FlagP), op); break; // RPO
        case 0xE1: SetPair(h, l, Pop()); break;       // POP H
        case 0xE2: JumpIf(!(f & _FlagP), op); break;  // JPO
        case 0xE3: { // XTHL
            const std::uint16_t top = ReadWord(sp);
            WriteWord(sp, HL());
            SetPair(h, l, top);
            break;
        }
        case 0xE4: CallIf(!(f & _FlagP), op); break;  // CPO
        case 0xE5: Push(HL()); break;                 // PUSH H
        case 0xE6: AndWithA<Is8085>(a, f, FetchByte()); break; // ANI
        case 0xE7: Restart(0x20); break;              // RST 4
        case 0xE8: ReturnIf(f & _FlagP, op); break;   // RPE
        case 0xE9: pc = HL(); break;                  // PCHL
        case 0xEA: JumpIf(f & _FlagP, op); break;     // JPE
        case 0xEB: // XCHG
            std::swap(d, h);
            std::swap(e, l);
            break;
        case 0xEC: CallIf(f & _FlagP, op); break;     // CPE
        case 0xED: // LHLX (8085), CALL (8080)
            if constexpr (Is8085)
                SetPair(h, l, ReadWord(DE()));
            else
                CallIf(true, op);
            break;
        case 0xEE: XorWithA<Is8085>(a, f, FetchByte()); break; // XRI
        case 0xEF: Restart(0x28); break;              // RST 5
        case 0xF0: ReturnIf(!(f & _FlagS), op); break; // RP
        case 0xF1: { // POP PSW
            const std::uint16_t value = Pop();
            f = flags::PoppedFlags<Is8085>(static_cast<std::uint8_t>(value));
            a = static_cast<std::uint8_t>(value >> 8);
            break;
        }
        case 0xF2: JumpIf(!(f & _FlagS), op); break;  // JP
        case 0xF3: // DI
            DisableInterrupts(cpu);
            break;
        case 0xF4: CallIf(!(f & _FlagS), op); break;  // CP
        case 0xF5: Push(static_cast<std::uint16_t>((a << 8) | flags::PushedFlags<Is8085>(f))); break; // PUSH PSW
        case 0xF6: OrWithA<Is8085>(a, f, FetchByte()); break; // ORI
        case 0xF7: Restart(0x30); break;              // RST 6
        case 0xF8: ReturnIf(f & _FlagS, op); break;   // RM
        case 0xF9: sp = HL(); break;                  // SPHL
        case 0xFA: JumpIf(f & _FlagS, op); break;     // JM
        case 0xFB: // EI: takes effect after the next instruction
            EnableInterrupts(cpu);
            Stop(Exit::Interrupts);
            break;
        case 0xFC: CallIf(f & _FlagS, op); break;     // CM
        case 0xFD: // JK (8085), CALL (8080)
            if constexpr (Is8085)
                JumpIf(f & _FlagK, op);
            else
                CallIf(true, op);
            break;
        case 0xFE: CompareWithA<Is8085>(a, f, FetchByte()); break; // CPI
        case 0xFF: Restart(0x38); break;              // RST 7
        }
    }

    cpu.PC = pc;
    cpu.SP = sp;
    cpu.A = a;
    cpu.B = b;
    cpu.C = c;
    cpu.D = d;
    cpu.E = e;
    cpu.H = h;
    cpu.L = l;
    cpu.F = f;
    cpu.States = states;
    cpu.Instructions += done;
    return exit;
}

// Runs up to budget instructions in the loop of the processor's model.
Exit ExecuteModel(CpuState& cpu, std::uint64_t budget)
{
    return cpu.Model == CpuModel::I8085 ? Execute<true>(cpu, budget) : Execute<false>(cpu, budget);
}

} // namespace

void ResetCpu(CpuState& cpu, CpuModel model)
{
    cpu.Model = model;
    cpu.PC = 0;
    cpu.IE = false;
    cpu.EnablePending = false;
    cpu.Halted = false;
    cpu.Masks = _MaskRst55 | _MaskRst65 | _MaskRst75;
    cpu.Rst75Latch = false;
    cpu.Sod = false;
    cpu.RimShowsIeBeforeTrap = false;
    cpu.IeBeforeTrap = false;
    cpu.Lines = InterruptLines{};
    cpu.Instructions = 0;
    cpu.States = 0;
}

int StepCpu(CpuState& cpu)
{
    const std::uint64_t before = cpu.States;
    if (TakeInterrupt(cpu) == 0) {
        if (cpu.Halted)
            return 0;
        // The instruction after EI runs before any maskable interrupt.
        cpu.EnablePending = false;
        ExecuteModel(cpu, 1);
    }
    return static_cast<int>(cpu.States - before);
}

RunEnd RunCpu(CpuState& cpu, std::uint64_t stepLimit)
{
    for (;;) {
        if (stepLimit != 0 && cpu.Instructions >= stepLimit)
            return RunEnd::StepLimit;
        if (cpu.Halted || cpu.EnablePending || IsInterruptWaiting(cpu)) {
            if (StepCpu(cpu) == 0)
                return RunEnd::Halted;
            continue;
        }
        // Nothing can interrupt until an instruction changes that, and the
        // loop stops at each such instruction.
        ExecuteModel(cpu, stepLimit != 0 ? stepLimit - cpu.Instructions : UINT64_MAX);
    }
}

std::uint8_t PswByte(const CpuState& cpu)
{
    return cpu.Model == CpuModel::I8085 ? flags::PushedFlags<true>(cpu.F) : flags::PushedFlags<false>(cpu.F);
}
