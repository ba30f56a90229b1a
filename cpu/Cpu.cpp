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
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

namespace {

// The loop keeps the instruction count and the T-states in one 64-bit
// counter, the instructions from bit 40 up and the T-states below, so that
// a single addition per instruction keeps both. One call of the loop runs
// at most _MaxChunk instructions, which keeps the T-states below bit 40.
constexpr int _CountShift = 40;
constexpr std::uint64_t _StatesMask = (std::uint64_t{1} << _CountShift) - 1;
constexpr std::uint64_t _MaxChunk = std::uint64_t{1} << 22;

// T-states of every opcode, from the instruction set table: Base (with one
// instruction counted) when a condition does not hold or the instruction
// has none, Base + Extra when it does.
struct StateTable {
    std::array<std::uint64_t, 256> Base;
    std::array<std::uint8_t, 256> Extra;
};

StateTable BuildStateTable(CpuModel model)
{
    StateTable table{};
    for (int opcode = 0; opcode < 256; ++opcode) {
        const InstructionInfo& info = DescribeOpcode(model, static_cast<std::uint8_t>(opcode));
        table.Base[opcode] = (std::uint64_t{1} << _CountShift) | info.States;
        table.Extra[opcode] = static_cast<std::uint8_t>(info.StatesTaken - info.States);
    }
    return table;
}

const StateTable& FindStateTable(CpuModel model)
{
    static const StateTable table8080 = BuildStateTable(CpuModel::I8080);
    static const StateTable table8085 = BuildStateTable(CpuModel::I8085);
    return model == CpuModel::I8085 ? table8085 : table8080;
}

// The accumulator operations: the result goes to A, the flags come from
// Flags.h.
template <bool Is8085>
[[gnu::always_inline]] inline void AddToA(std::uint8_t& a, std::uint8_t& f, std::uint8_t value, unsigned carry)
{
    const unsigned sum = a + value + carry;
    f = flags::ComputeAddFlags<Is8085>(a, value, sum);
    a = static_cast<std::uint8_t>(sum);
}

template <bool Is8085>
[[gnu::always_inline]] inline void SubtractFromA(std::uint8_t& a, std::uint8_t& f, std::uint8_t value, unsigned borrow)
{
    const unsigned difference = static_cast<unsigned>(a) - value - borrow;
    f = flags::ComputeSubtractFlags<Is8085>(a, value, difference);
    a = static_cast<std::uint8_t>(difference);
}

template <bool Is8085>
[[gnu::always_inline]] inline void CompareWithA(std::uint8_t a, std::uint8_t& f, std::uint8_t value)
{
    f = flags::ComputeSubtractFlags<Is8085>(a, value, static_cast<unsigned>(a) - value);
}

template <bool Is8085>
[[gnu::always_inline]] inline void AndWithA(std::uint8_t& a, std::uint8_t& f, std::uint8_t value)
{
    const unsigned result = a & value;
    f = flags::ComputeAndFlags<Is8085>(a, value, result);
    a = static_cast<std::uint8_t>(result);
}

template <bool Is8085>
[[gnu::always_inline]] inline void XorWithA(std::uint8_t& a, std::uint8_t& f, std::uint8_t value)
{
    a = static_cast<std::uint8_t>(a ^ value);
    f = flags::ComputeOrFlags<Is8085>(a);
}

template <bool Is8085>
[[gnu::always_inline]] inline void OrWithA(std::uint8_t& a, std::uint8_t& f, std::uint8_t value)
{
    a = static_cast<std::uint8_t>(a | value);
    f = flags::ComputeOrFlags<Is8085>(a);
}

template <bool Is8085>
[[gnu::always_inline]] inline std::uint8_t Increment(std::uint8_t& f, std::uint8_t value)
{
    f = flags::ComputeIncrementFlags<Is8085>(f, value);
    return static_cast<std::uint8_t>(value + 1);
}

template <bool Is8085>
[[gnu::always_inline]] inline std::uint8_t Decrement(std::uint8_t& f, std::uint8_t value)
{
    f = flags::ComputeDecrementFlags<Is8085>(f, value);
    return static_cast<std::uint8_t>(value - 1);
}

// Small helpers of the loop below. They work on the loop's own registers,
// which stay in machine registers only if every helper is inlined; hence
// the attribute.
[[gnu::always_inline]] inline std::uint16_t JoinPair(std::uint8_t high, std::uint8_t low)
{
    return static_cast<std::uint16_t>((high << 8) | low);
}

[[gnu::always_inline]] inline void SetPair(std::uint8_t& high, std::uint8_t& low, unsigned value)
{
    high = static_cast<std::uint8_t>(value >> 8);
    low = static_cast<std::uint8_t>(value);
}

// Reads the word at address, low byte first. Away from the top of memory a
// little-endian host reads it with one load, which shortens the chain of
// loads that a taken jump puts between one PC and the next.
[[gnu::always_inline]] inline std::uint16_t ReadWord(const std::uint8_t* m, std::uint16_t address)
{
    if constexpr (std::endian::native == std::endian::little) {
        if (address != 0xFFFF) [[likely]] {
            std::uint16_t value;
            std::memcpy(&value, m + address, sizeof value);
            return value;
        }
    }
    return static_cast<std::uint16_t>(m[address] | (m[static_cast<std::uint16_t>(address + 1)] << 8));
}

[[gnu::always_inline]] inline void WriteWord(std::uint8_t* m, std::uint16_t address, std::uint16_t value)
{
    m[address] = static_cast<std::uint8_t>(value);
    m[static_cast<std::uint16_t>(address + 1)] = static_cast<std::uint8_t>(value >> 8);
}

[[gnu::always_inline]] inline std::uint16_t FetchWord(const std::uint8_t* m, std::uint16_t& pc)
{
    const std::uint16_t value = ReadWord(m, pc);
    pc = static_cast<std::uint16_t>(pc + 2);
    return value;
}

[[gnu::always_inline]] inline void Push(std::uint8_t* m, std::uint16_t& sp, std::uint16_t value)
{
    sp = static_cast<std::uint16_t>(sp - 2);
    WriteWord(m, sp, value);
}

[[gnu::always_inline]] inline std::uint16_t Pop(const std::uint8_t* m, std::uint16_t& sp)
{
    const std::uint16_t value = ReadWord(m, sp);
    sp = static_cast<std::uint16_t>(sp + 2);
    return value;
}

// JMP, CALL and RET on a condition; extra is the T-states a transfer that
// happens adds.
[[gnu::always_inline]] inline void JumpIf(bool condition, const std::uint8_t* m, std::uint16_t& pc,
                                          std::uint64_t& states, unsigned extra)
{
    if (condition) {
        pc = ReadWord(m, pc);
        states += extra;
    } else {
        pc = static_cast<std::uint16_t>(pc + 2);
    }
}

[[gnu::always_inline]] inline void CallIf(bool condition, std::uint8_t* m, std::uint16_t& pc, std::uint16_t& sp,
                                          std::uint64_t& states, unsigned extra)
{
    const std::uint16_t target = FetchWord(m, pc);
    if (condition) {
        Push(m, sp, pc);
        pc = target;
        states += extra;
    }
}

[[gnu::always_inline]] inline void ReturnIf(bool condition, const std::uint8_t* m, std::uint16_t& pc, std::uint16_t& sp,
                                            std::uint64_t& states, unsigned extra)
{
    if (condition) {
        pc = Pop(m, sp);
        states += extra;
    }
}

// RST n: a call to the vector.
[[gnu::always_inline]] inline void Restart(std::uint8_t* m, std::uint16_t& pc, std::uint16_t& sp, std::uint16_t vector)
{
    Push(m, sp, pc);
    pc = vector;
}

// DAD: HL + value.
[[gnu::always_inline]] inline void AddToHL(std::uint8_t& h, std::uint8_t& l, std::uint8_t& f, unsigned value)
{
    const unsigned sum = JoinPair(h, l) + value;
    f = flags::ComputeDoubleAddFlags(f, sum);
    SetPair(h, l, sum);
}

// Why Execute returned.
enum class Exit : std::uint8_t {
    Budget,     // it ran the instructions it was given
    Halt,       // HLT
    Interrupts, // EI or SIM: whether an interrupt can be taken may have changed
    Break,      // the next instruction's address is marked in the break table
    Watch,      // watched: the next instruction is where nothing was placed, or may store into code
};

// What each opcode may write to memory, for the watched loop and
// FindStoreAddresses; conditions aside (a conditional call may push).
enum class StoreKind : std::uint8_t {
    None,
    AtHL,      // MOV M, r; MVI M; INR M; DCR M
    AtBC,      // STAX B
    AtDE,      // STAX D
    Direct,    // STA: the byte at the address that follows
    DirectTwo, // SHLD: the two bytes there
    Push,      // PUSH, CALL, the calls on a condition, RST, RSTV: the two bytes below SP
    AtSP,      // XTHL: the two bytes at SP
    AtDETwo,   // SHLX (8085): the two bytes at DE
};

std::array<StoreKind, 256> BuildStoreKinds(CpuModel model)
{
    std::array<StoreKind, 256> kinds{};
    for (int opcode = 0x70; opcode <= 0x77; ++opcode)
        kinds[opcode] = opcode == 0x76 ? StoreKind::None : StoreKind::AtHL;
    kinds[0x34] = kinds[0x35] = kinds[0x36] = StoreKind::AtHL;
    kinds[0x02] = StoreKind::AtBC;
    kinds[0x12] = StoreKind::AtDE;
    kinds[0x32] = StoreKind::Direct;
    kinds[0x22] = StoreKind::DirectTwo;
    kinds[0xE3] = StoreKind::AtSP;
    kinds[0xC5] = kinds[0xD5] = kinds[0xE5] = kinds[0xF5] = StoreKind::Push; // PUSH
    // The calls and restarts of the model, as the instruction table marks
    // them (the 8080's duplicates of CALL, the 8085's RSTV).
    for (int opcode = 0; opcode < 256; ++opcode) {
        const ControlKind control = DescribeOpcode(model, static_cast<std::uint8_t>(opcode)).Control;
        if (control == ControlKind::Call || control == ControlKind::Restart)
            kinds[opcode] = StoreKind::Push;
    }
    if (model == CpuModel::I8085)
        kinds[0xD9] = StoreKind::AtDETwo; // SHLX
    return kinds;
}

const std::array<StoreKind, 256>& FindStoreKinds(CpuModel model)
{
    static const std::array<StoreKind, 256> kinds8080 = BuildStoreKinds(CpuModel::I8080);
    static const std::array<StoreKind, 256> kinds8085 = BuildStoreKinds(CpuModel::I8085);
    return model == CpuModel::I8085 ? kinds8085 : kinds8080;
}

// What each opcode reads besides its own bytes, in the same kinds (Push
// does not occur: a pop reads the two bytes at SP, AtSP), for
// FindLoadAddresses; conditions aside (a return on a condition may not pop).
std::array<StoreKind, 256> BuildLoadKinds(CpuModel model)
{
    std::array<StoreKind, 256> kinds{};
    for (int opcode = 0x46; opcode <= 0x7E; opcode += 8)
        kinds[opcode] = StoreKind::AtHL; // MOV r, M
    for (int opcode = 0x86; opcode <= 0xBE; opcode += 8)
        kinds[opcode] = StoreKind::AtHL; // ADD M ... CMP M
    kinds[0x34] = kinds[0x35] = StoreKind::AtHL; // INR M, DCR M
    kinds[0x0A] = StoreKind::AtBC;
    kinds[0x1A] = StoreKind::AtDE;
    kinds[0x3A] = StoreKind::Direct;
    kinds[0x2A] = StoreKind::DirectTwo;
    kinds[0xE3] = StoreKind::AtSP;
    kinds[0xC1] = kinds[0xD1] = kinds[0xE1] = kinds[0xF1] = StoreKind::AtSP; // POP
    // The returns of the model, as the instruction table marks them.
    for (int opcode = 0; opcode < 256; ++opcode) {
        if (DescribeOpcode(model, static_cast<std::uint8_t>(opcode)).Control == ControlKind::Return)
            kinds[opcode] = StoreKind::AtSP;
    }
    if (model == CpuModel::I8085)
        kinds[0xED] = StoreKind::AtDETwo; // LHLX
    return kinds;
}

// The addresses an instruction of the kind writes; next is the address
// after its opcode. Returns how many (0 to 2).
[[gnu::always_inline]] inline int FindStores(StoreKind kind, const std::uint8_t* m, std::uint16_t next,
                                             std::uint16_t sp, std::uint16_t bc, std::uint16_t de, std::uint16_t hl,
                                             std::uint16_t addresses[2])
{
    switch (kind) {
    case StoreKind::None: return 0;
    case StoreKind::AtHL: addresses[0] = hl; return 1;
    case StoreKind::AtBC: addresses[0] = bc; return 1;
    case StoreKind::AtDE: addresses[0] = de; return 1;
    case StoreKind::Direct: addresses[0] = ReadWord(m, next); return 1;
    case StoreKind::DirectTwo: addresses[0] = ReadWord(m, next); break;
    case StoreKind::Push: addresses[0] = static_cast<std::uint16_t>(sp - 2); break;
    case StoreKind::AtSP: addresses[0] = sp; break;
    case StoreKind::AtDETwo: addresses[0] = de; break;
    }
    addresses[1] = static_cast<std::uint16_t>(addresses[0] + 1);
    return 2;
}

// Whether an instruction of the kind (not None) may store into code; out of
// line, so that the watched loop stays small.
[[gnu::noinline]] bool MayStoreIntoCode(StoreKind kind, const std::uint8_t* code, const std::uint8_t* m,
                                        std::uint16_t next, std::uint16_t sp, std::uint16_t bc, std::uint16_t de,
                                        std::uint16_t hl)
{
    std::uint16_t stores[2] = {};
    const int count = FindStores(kind, m, next, sp, bc, de, hl, stores);
    return count > 0 && (code[stores[0]] | code[stores[count - 1]]);
}

// Dispatch. With GCC and Clang each instruction ends by jumping straight
// to the code of the next one through a table of label addresses, so that
// the host's branch predictor learns what follows each opcode (a compiler
// extension, about 15% faster here than one shared switch). Other compilers,
// or a build with -DRUN8085_SWITCH_DISPATCH, get the standard switch.
// CASE opens an instruction's code, DISPATCH ends it, and STOP leaves the
// loop after it (HLT, EI, SIM).
//
// The budget costs no comparison of its own: the counter starts at minus
// one more instruction than the budget (in its instruction bits), so the
// addition that counts the instruction after the last one carries out of
// bit 63. That instruction is then taken back, not run.
#if defined(__GNUC__) && !defined(RUN8085_SWITCH_DISPATCH)
#define RUN8085_THREADED 1
#define CASE(opcode) L_##opcode:
#define DISPATCH()                                                                                                     \
    do {                                                                                                               \
        BREAK_CHECK();                                                                                                 \
        op = m[pc++];                                                                                                  \
        if (__builtin_add_overflow(counts, base[op], &counts)) [[unlikely]]                                            \
            goto spent;                                                                                                \
        if constexpr (Watched)                                                                                         \
            WATCH();                                                                                                   \
        goto* labels[op];                                                                                              \
    } while (false)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
#else
#define RUN8085_THREADED 0
#define CASE(opcode) case opcode:
#define DISPATCH() break
#endif
// The loop with a break table (the debugger's) stops before an instruction
// whose address is marked; the plain loop has no such check at all.
#define BREAK_CHECK()                                                                                                  \
    do {                                                                                                               \
        if constexpr (Breaks) {                                                                                        \
            if (breaks[pc]) [[unlikely]]                                                                               \
                STOP(Exit::Break);                                                                                     \
        }                                                                                                              \
    } while (false)
// The watched loop's look at the instruction about to run: when it is where
// nothing was placed, or may store into code, it is taken back and the loop
// stops before it. Otherwise it becomes the last address run.
#define WATCH()                                                                                                        \
    do {                                                                                                               \
        if (!watch->Placed[static_cast<std::uint16_t>(pc - 1)] ||                                                      \
            (storeKinds[op] != StoreKind::None && MayStoreIntoCode(storeKinds[op], watch->Code, m, pc, sp,             \
                                                                   JoinPair(b, c), JoinPair(d, e), JoinPair(h, l))))   \
            [[unlikely]] {                                                                                             \
            pc = static_cast<std::uint16_t>(pc - 1);                                                                   \
            counts -= base[op];                                                                                        \
            STOP(Exit::Watch);                                                                                         \
        }                                                                                                              \
        watch->LastAddress = static_cast<std::uint16_t>(pc - 1);                                                       \
    } while (false)
#define STOP(why)                                                                                                      \
    do {                                                                                                               \
        exit = why;                                                                                                    \
        goto stop;                                                                                                     \
    } while (false)

// The decode loop keeps one line an opcode where it can, as the manual lists them.
// clang-format off
// Runs up to budget instructions (at least one; at most _MaxChunk) and
// returns why it stopped. With Breaks, breaks[address] marks the addresses
// to stop before (after the first instruction); Watched, it also stops as
// RunWatch says.
template <bool Is8085, bool Breaks = false, bool Watched = false>
Exit Execute(CpuState& cpu, std::uint64_t budget, [[maybe_unused]] const std::uint8_t* breaks = nullptr,
             RunWatch* watch = nullptr)
{
    const StateTable& table = FindStateTable(cpu.Model);
    [[maybe_unused]] const StoreKind* const storeKinds = Watched ? FindStoreKinds(cpu.Model).data() : nullptr;
    const std::uint64_t* const base = table.Base.data();
    const std::uint8_t* const extra = table.Extra.data();
    std::uint8_t* const m = cpu.Memory;
    std::uint16_t pc = cpu.PC;
    std::uint16_t sp = cpu.SP;
    std::uint8_t a = cpu.A, b = cpu.B, c = cpu.C, d = cpu.D, e = cpu.E, h = cpu.H, l = cpu.L, f = cpu.F;
    const std::uint64_t start = ~((budget < _MaxChunk ? budget : _MaxChunk) << _CountShift) + 1 -
                                (std::uint64_t{1} << _CountShift);
    std::uint64_t counts = start;
    std::uint8_t op;
    Exit exit = Exit::Budget;

#if RUN8085_THREADED
    static void* const labels[256] = {
        &&L_0x00, &&L_0x01, &&L_0x02, &&L_0x03, &&L_0x04, &&L_0x05, &&L_0x06, &&L_0x07, &&L_0x08, &&L_0x09, &&L_0x0A, &&L_0x0B, &&L_0x0C, &&L_0x0D, &&L_0x0E, &&L_0x0F,
        &&L_0x10, &&L_0x11, &&L_0x12, &&L_0x13, &&L_0x14, &&L_0x15, &&L_0x16, &&L_0x17, &&L_0x18, &&L_0x19, &&L_0x1A, &&L_0x1B, &&L_0x1C, &&L_0x1D, &&L_0x1E, &&L_0x1F,
        &&L_0x20, &&L_0x21, &&L_0x22, &&L_0x23, &&L_0x24, &&L_0x25, &&L_0x26, &&L_0x27, &&L_0x28, &&L_0x29, &&L_0x2A, &&L_0x2B, &&L_0x2C, &&L_0x2D, &&L_0x2E, &&L_0x2F,
        &&L_0x30, &&L_0x31, &&L_0x32, &&L_0x33, &&L_0x34, &&L_0x35, &&L_0x36, &&L_0x37, &&L_0x38, &&L_0x39, &&L_0x3A, &&L_0x3B, &&L_0x3C, &&L_0x3D, &&L_0x3E, &&L_0x3F,
        &&L_0x40, &&L_0x41, &&L_0x42, &&L_0x43, &&L_0x44, &&L_0x45, &&L_0x46, &&L_0x47, &&L_0x48, &&L_0x49, &&L_0x4A, &&L_0x4B, &&L_0x4C, &&L_0x4D, &&L_0x4E, &&L_0x4F,
        &&L_0x50, &&L_0x51, &&L_0x52, &&L_0x53, &&L_0x54, &&L_0x55, &&L_0x56, &&L_0x57, &&L_0x58, &&L_0x59, &&L_0x5A, &&L_0x5B, &&L_0x5C, &&L_0x5D, &&L_0x5E, &&L_0x5F,
        &&L_0x60, &&L_0x61, &&L_0x62, &&L_0x63, &&L_0x64, &&L_0x65, &&L_0x66, &&L_0x67, &&L_0x68, &&L_0x69, &&L_0x6A, &&L_0x6B, &&L_0x6C, &&L_0x6D, &&L_0x6E, &&L_0x6F,
        &&L_0x70, &&L_0x71, &&L_0x72, &&L_0x73, &&L_0x74, &&L_0x75, &&L_0x76, &&L_0x77, &&L_0x78, &&L_0x79, &&L_0x7A, &&L_0x7B, &&L_0x7C, &&L_0x7D, &&L_0x7E, &&L_0x7F,
        &&L_0x80, &&L_0x81, &&L_0x82, &&L_0x83, &&L_0x84, &&L_0x85, &&L_0x86, &&L_0x87, &&L_0x88, &&L_0x89, &&L_0x8A, &&L_0x8B, &&L_0x8C, &&L_0x8D, &&L_0x8E, &&L_0x8F,
        &&L_0x90, &&L_0x91, &&L_0x92, &&L_0x93, &&L_0x94, &&L_0x95, &&L_0x96, &&L_0x97, &&L_0x98, &&L_0x99, &&L_0x9A, &&L_0x9B, &&L_0x9C, &&L_0x9D, &&L_0x9E, &&L_0x9F,
        &&L_0xA0, &&L_0xA1, &&L_0xA2, &&L_0xA3, &&L_0xA4, &&L_0xA5, &&L_0xA6, &&L_0xA7, &&L_0xA8, &&L_0xA9, &&L_0xAA, &&L_0xAB, &&L_0xAC, &&L_0xAD, &&L_0xAE, &&L_0xAF,
        &&L_0xB0, &&L_0xB1, &&L_0xB2, &&L_0xB3, &&L_0xB4, &&L_0xB5, &&L_0xB6, &&L_0xB7, &&L_0xB8, &&L_0xB9, &&L_0xBA, &&L_0xBB, &&L_0xBC, &&L_0xBD, &&L_0xBE, &&L_0xBF,
        &&L_0xC0, &&L_0xC1, &&L_0xC2, &&L_0xC3, &&L_0xC4, &&L_0xC5, &&L_0xC6, &&L_0xC7, &&L_0xC8, &&L_0xC9, &&L_0xCA, &&L_0xCB, &&L_0xCC, &&L_0xCD, &&L_0xCE, &&L_0xCF,
        &&L_0xD0, &&L_0xD1, &&L_0xD2, &&L_0xD3, &&L_0xD4, &&L_0xD5, &&L_0xD6, &&L_0xD7, &&L_0xD8, &&L_0xD9, &&L_0xDA, &&L_0xDB, &&L_0xDC, &&L_0xDD, &&L_0xDE, &&L_0xDF,
        &&L_0xE0, &&L_0xE1, &&L_0xE2, &&L_0xE3, &&L_0xE4, &&L_0xE5, &&L_0xE6, &&L_0xE7, &&L_0xE8, &&L_0xE9, &&L_0xEA, &&L_0xEB, &&L_0xEC, &&L_0xED, &&L_0xEE, &&L_0xEF,
        &&L_0xF0, &&L_0xF1, &&L_0xF2, &&L_0xF3, &&L_0xF4, &&L_0xF5, &&L_0xF6, &&L_0xF7, &&L_0xF8, &&L_0xF9, &&L_0xFA, &&L_0xFB, &&L_0xFC, &&L_0xFD, &&L_0xFE, &&L_0xFF,
    };
    DISPATCH();
#else
    for (;;) {
        BREAK_CHECK();
        op = m[pc++];
        counts += base[op];
        if (counts < base[op])
            goto spent;
        if constexpr (Watched)
            WATCH();
        switch (op) {
#endif
        CASE(0x00) DISPATCH(); // NOP
        CASE(0x01) c = m[pc++]; b = m[pc++]; DISPATCH(); // LXI B
        CASE(0x02) m[JoinPair(b, c)] = a; DISPATCH();                      // STAX B
        CASE(0x03) { // INX B
            const std::uint16_t value = static_cast<std::uint16_t>(JoinPair(b, c) + 1);
            SetPair(b, c, value);
            f = flags::ComputeIncrementPairFlags<Is8085>(f, value == 0x0000);
            DISPATCH();
        }
        CASE(0x04) b = Increment<Is8085>(f, b); DISPATCH(); // INR B
        CASE(0x05) b = Decrement<Is8085>(f, b); DISPATCH(); // DCR B
        CASE(0x06) b = m[pc++]; DISPATCH();             // MVI B
        CASE(0x07) // RLC
            f = flags::ComputeRotateFlags(f, a >> 7);
            a = static_cast<std::uint8_t>((a << 1) | (a >> 7));
            DISPATCH();
        CASE(0x08) // DSUB (8085), NOP (8080)
            if constexpr (Is8085) {
                const unsigned low = static_cast<unsigned>(l) - c;
                const unsigned high = static_cast<unsigned>(h) - b - ((low >> 8) & 1);
                const std::uint8_t lowByte = static_cast<std::uint8_t>(low);
                const std::uint8_t highByte = static_cast<std::uint8_t>(high);
                f = flags::ComputeDoubleSubtractFlags(h, b, high, (lowByte | highByte) == 0);
                h = highByte;
                l = lowByte;
            }
            DISPATCH();
        CASE(0x09) AddToHL(h, l, f, JoinPair(b, c)); DISPATCH();     // DAD B
        CASE(0x0A) a = m[JoinPair(b, c)]; DISPATCH();       // LDAX B
        CASE(0x0B) { // DCX B
            const std::uint16_t value = static_cast<std::uint16_t>(JoinPair(b, c) - 1);
            SetPair(b, c, value);
            f = flags::ComputeIncrementPairFlags<Is8085>(f, value == 0xFFFF);
            DISPATCH();
        }
        CASE(0x0C) c = Increment<Is8085>(f, c); DISPATCH(); // INR C
        CASE(0x0D) c = Decrement<Is8085>(f, c); DISPATCH(); // DCR C
        CASE(0x0E) c = m[pc++]; DISPATCH();             // MVI C
        CASE(0x0F) // RRC
            f = flags::ComputeRotateFlags(f, a);
            a = static_cast<std::uint8_t>((a >> 1) | (a << 7));
            DISPATCH();
        CASE(0x10) // ARHL (8085), NOP (8080)
            if constexpr (Is8085) {
                f = flags::ComputeShiftRightPairFlags(f, l);
                l = static_cast<std::uint8_t>((l >> 1) | (h << 7));
                h = static_cast<std::uint8_t>((h >> 1) | (h & 0x80));
            }
            DISPATCH();
        CASE(0x11) e = m[pc++]; d = m[pc++]; DISPATCH(); // LXI D
        CASE(0x12) m[JoinPair(d, e)] = a; DISPATCH();                      // STAX D
        CASE(0x13) { // INX D
            const std::uint16_t value = static_cast<std::uint16_t>(JoinPair(d, e) + 1);
            SetPair(d, e, value);
            f = flags::ComputeIncrementPairFlags<Is8085>(f, value == 0x0000);
            DISPATCH();
        }
        CASE(0x14) d = Increment<Is8085>(f, d); DISPATCH(); // INR D
        CASE(0x15) d = Decrement<Is8085>(f, d); DISPATCH(); // DCR D
        CASE(0x16) d = m[pc++]; DISPATCH();             // MVI D
        CASE(0x17) { // RAL
            const unsigned carry = f & _FlagCY;
            f = flags::ComputeRotateFlags(f, a >> 7);
            a = static_cast<std::uint8_t>((a << 1) | carry);
            DISPATCH();
        }
        CASE(0x18) // RDEL (8085), NOP (8080)
            if constexpr (Is8085) {
                const unsigned before = JoinPair(d, e);
                const unsigned after = ((before << 1) | (f & _FlagCY)) & 0xFFFF;
                f = flags::ComputeRotatePairFlags(f, before, after);
                SetPair(d, e, after);
            }
            DISPATCH();
        CASE(0x19) AddToHL(h, l, f, JoinPair(d, e)); DISPATCH(); // DAD D
        CASE(0x1A) a = m[JoinPair(d, e)]; DISPATCH();   // LDAX D
        CASE(0x1B) { // DCX D
            const std::uint16_t value = static_cast<std::uint16_t>(JoinPair(d, e) - 1);
            SetPair(d, e, value);
            f = flags::ComputeIncrementPairFlags<Is8085>(f, value == 0xFFFF);
            DISPATCH();
        }
        CASE(0x1C) e = Increment<Is8085>(f, e); DISPATCH(); // INR E
        CASE(0x1D) e = Decrement<Is8085>(f, e); DISPATCH(); // DCR E
        CASE(0x1E) e = m[pc++]; DISPATCH();             // MVI E
        CASE(0x1F) { // RAR
            const unsigned carry = f & _FlagCY;
            f = flags::ComputeRotateFlags(f, a);
            a = static_cast<std::uint8_t>((a >> 1) | (carry << 7));
            DISPATCH();
        }
        CASE(0x20) // RIM (8085), NOP (8080)
            if constexpr (Is8085)
                a = ReadInterruptMasks(cpu);
            DISPATCH();
        CASE(0x21) l = m[pc++]; h = m[pc++]; DISPATCH(); // LXI H
        CASE(0x22) WriteWord(m, FetchWord(m, pc), JoinPair(h, l)); DISPATCH();     // SHLD
        CASE(0x23) { // INX H
            const std::uint16_t value = static_cast<std::uint16_t>(JoinPair(h, l) + 1);
            SetPair(h, l, value);
            f = flags::ComputeIncrementPairFlags<Is8085>(f, value == 0x0000);
            DISPATCH();
        }
        CASE(0x24) h = Increment<Is8085>(f, h); DISPATCH(); // INR H
        CASE(0x25) h = Decrement<Is8085>(f, h); DISPATCH(); // DCR H
        CASE(0x26) h = m[pc++]; DISPATCH();             // MVI H
        CASE(0x27) flags::DecimalAdjust<Is8085>(a, f); DISPATCH(); // DAA
        CASE(0x28) // LDHI (8085), NOP (8080)
            if constexpr (Is8085)
                SetPair(d, e, JoinPair(h, l) + m[pc++]);
            DISPATCH();
        CASE(0x29) AddToHL(h, l, f, JoinPair(h, l)); DISPATCH(); // DAD H
        CASE(0x2A) { // LHLD
            const std::uint16_t value = ReadWord(m, FetchWord(m, pc));
            SetPair(h, l, value);
            DISPATCH();
        }
        CASE(0x2B) { // DCX H
            const std::uint16_t value = static_cast<std::uint16_t>(JoinPair(h, l) - 1);
            SetPair(h, l, value);
            f = flags::ComputeIncrementPairFlags<Is8085>(f, value == 0xFFFF);
            DISPATCH();
        }
        CASE(0x2C) l = Increment<Is8085>(f, l); DISPATCH(); // INR L
        CASE(0x2D) l = Decrement<Is8085>(f, l); DISPATCH(); // DCR L
        CASE(0x2E) l = m[pc++]; DISPATCH();             // MVI L
        CASE(0x2F) a = static_cast<std::uint8_t>(~a); DISPATCH(); // CMA: "No flags are affected."
        CASE(0x30) // SIM (8085), NOP (8080)
            if constexpr (Is8085) {
                SetInterruptMasks(cpu, a);
                STOP(Exit::Interrupts);
            }
            DISPATCH();
        CASE(0x31) sp = FetchWord(m, pc); DISPATCH();        // LXI SP
        CASE(0x32) m[FetchWord(m, pc)] = a; DISPATCH();      // STA
        CASE(0x33) { // INX SP
            sp = static_cast<std::uint16_t>(sp + 1);
            f = flags::ComputeIncrementPairFlags<Is8085>(f, sp == 0x0000);
            DISPATCH();
        }
        CASE(0x34) { // INR M
            const std::uint16_t address = JoinPair(h, l);
            m[address] = Increment<Is8085>(f, m[address]);
            DISPATCH();
        }
        CASE(0x35) { // DCR M
            const std::uint16_t address = JoinPair(h, l);
            m[address] = Decrement<Is8085>(f, m[address]);
            DISPATCH();
        }
        CASE(0x36) { // MVI M
            const std::uint8_t value = m[pc++];
            m[JoinPair(h, l)] = value;
            DISPATCH();
        }
        CASE(0x37) f = flags::SetCarryFlag(f); DISPATCH(); // STC
        CASE(0x38) // LDSI (8085), NOP (8080)
            if constexpr (Is8085)
                SetPair(d, e, sp + m[pc++]);
            DISPATCH();
        CASE(0x39) AddToHL(h, l, f, sp); DISPATCH();       // DAD SP
        CASE(0x3A) a = m[FetchWord(m, pc)]; DISPATCH(); // LDA
        CASE(0x3B) { // DCX SP
            sp = static_cast<std::uint16_t>(sp - 1);
            f = flags::ComputeIncrementPairFlags<Is8085>(f, sp == 0xFFFF);
            DISPATCH();
        }
        CASE(0x3C) a = Increment<Is8085>(f, a); DISPATCH(); // INR A
        CASE(0x3D) a = Decrement<Is8085>(f, a); DISPATCH(); // DCR A
        CASE(0x3E) a = m[pc++]; DISPATCH();             // MVI A
        CASE(0x3F) f = flags::ComplementCarryFlag(f); DISPATCH(); // CMC
        CASE(0x40) DISPATCH(); // MOV B, B
        CASE(0x41) b = c; DISPATCH(); // MOV B, C
        CASE(0x42) b = d; DISPATCH(); // MOV B, D
        CASE(0x43) b = e; DISPATCH(); // MOV B, E
        CASE(0x44) b = h; DISPATCH(); // MOV B, H
        CASE(0x45) b = l; DISPATCH(); // MOV B, L
        CASE(0x46) b = m[JoinPair(h, l)]; DISPATCH(); // MOV B, M
        CASE(0x47) b = a; DISPATCH(); // MOV B, A
        CASE(0x48) c = b; DISPATCH(); // MOV C, B
        CASE(0x49) DISPATCH(); // MOV C, C
        CASE(0x4A) c = d; DISPATCH(); // MOV C, D
        CASE(0x4B) c = e; DISPATCH(); // MOV C, E
        CASE(0x4C) c = h; DISPATCH(); // MOV C, H
        CASE(0x4D) c = l; DISPATCH(); // MOV C, L
        CASE(0x4E) c = m[JoinPair(h, l)]; DISPATCH(); // MOV C, M
        CASE(0x4F) c = a; DISPATCH(); // MOV C, A
        CASE(0x50) d = b; DISPATCH(); // MOV D, B
        CASE(0x51) d = c; DISPATCH(); // MOV D, C
        CASE(0x52) DISPATCH(); // MOV D, D
        CASE(0x53) d = e; DISPATCH(); // MOV D, E
        CASE(0x54) d = h; DISPATCH(); // MOV D, H
        CASE(0x55) d = l; DISPATCH(); // MOV D, L
        CASE(0x56) d = m[JoinPair(h, l)]; DISPATCH(); // MOV D, M
        CASE(0x57) d = a; DISPATCH(); // MOV D, A
        CASE(0x58) e = b; DISPATCH(); // MOV E, B
        CASE(0x59) e = c; DISPATCH(); // MOV E, C
        CASE(0x5A) e = d; DISPATCH(); // MOV E, D
        CASE(0x5B) DISPATCH(); // MOV E, E
        CASE(0x5C) e = h; DISPATCH(); // MOV E, H
        CASE(0x5D) e = l; DISPATCH(); // MOV E, L
        CASE(0x5E) e = m[JoinPair(h, l)]; DISPATCH(); // MOV E, M
        CASE(0x5F) e = a; DISPATCH(); // MOV E, A
        CASE(0x60) h = b; DISPATCH(); // MOV H, B
        CASE(0x61) h = c; DISPATCH(); // MOV H, C
        CASE(0x62) h = d; DISPATCH(); // MOV H, D
        CASE(0x63) h = e; DISPATCH(); // MOV H, E
        CASE(0x64) DISPATCH(); // MOV H, H
        CASE(0x65) h = l; DISPATCH(); // MOV H, L
        CASE(0x66) h = m[JoinPair(h, l)]; DISPATCH(); // MOV H, M
        CASE(0x67) h = a; DISPATCH(); // MOV H, A
        CASE(0x68) l = b; DISPATCH(); // MOV L, B
        CASE(0x69) l = c; DISPATCH(); // MOV L, C
        CASE(0x6A) l = d; DISPATCH(); // MOV L, D
        CASE(0x6B) l = e; DISPATCH(); // MOV L, E
        CASE(0x6C) l = h; DISPATCH(); // MOV L, H
        CASE(0x6D) DISPATCH(); // MOV L, L
        CASE(0x6E) l = m[JoinPair(h, l)]; DISPATCH(); // MOV L, M
        CASE(0x6F) l = a; DISPATCH(); // MOV L, A
        CASE(0x70) m[JoinPair(h, l)] = b; DISPATCH(); // MOV M, B
        CASE(0x71) m[JoinPair(h, l)] = c; DISPATCH(); // MOV M, C
        CASE(0x72) m[JoinPair(h, l)] = d; DISPATCH(); // MOV M, D
        CASE(0x73) m[JoinPair(h, l)] = e; DISPATCH(); // MOV M, E
        CASE(0x74) m[JoinPair(h, l)] = h; DISPATCH(); // MOV M, H
        CASE(0x75) m[JoinPair(h, l)] = l; DISPATCH(); // MOV M, L
        CASE(0x76) // HLT: PC stays past it
            cpu.Halted = true;
            STOP(Exit::Halt);
        CASE(0x77) m[JoinPair(h, l)] = a; DISPATCH(); // MOV M, A
        CASE(0x78) a = b; DISPATCH(); // MOV A, B
        CASE(0x79) a = c; DISPATCH(); // MOV A, C
        CASE(0x7A) a = d; DISPATCH(); // MOV A, D
        CASE(0x7B) a = e; DISPATCH(); // MOV A, E
        CASE(0x7C) a = h; DISPATCH(); // MOV A, H
        CASE(0x7D) a = l; DISPATCH(); // MOV A, L
        CASE(0x7E) a = m[JoinPair(h, l)]; DISPATCH(); // MOV A, M
        CASE(0x7F) DISPATCH(); // MOV A, A
        CASE(0x80) AddToA<Is8085>(a, f, b, 0); DISPATCH(); // ADD B
        CASE(0x81) AddToA<Is8085>(a, f, c, 0); DISPATCH(); // ADD C
        CASE(0x82) AddToA<Is8085>(a, f, d, 0); DISPATCH(); // ADD D
        CASE(0x83) AddToA<Is8085>(a, f, e, 0); DISPATCH(); // ADD E
        CASE(0x84) AddToA<Is8085>(a, f, h, 0); DISPATCH(); // ADD H
        CASE(0x85) AddToA<Is8085>(a, f, l, 0); DISPATCH(); // ADD L
        CASE(0x86) AddToA<Is8085>(a, f, m[JoinPair(h, l)], 0); DISPATCH(); // ADD M
        CASE(0x87) AddToA<Is8085>(a, f, a, 0); DISPATCH(); // ADD A
        CASE(0x88) AddToA<Is8085>(a, f, b, f & _FlagCY); DISPATCH(); // ADC B
        CASE(0x89) AddToA<Is8085>(a, f, c, f & _FlagCY); DISPATCH(); // ADC C
        CASE(0x8A) AddToA<Is8085>(a, f, d, f & _FlagCY); DISPATCH(); // ADC D
        CASE(0x8B) AddToA<Is8085>(a, f, e, f & _FlagCY); DISPATCH(); // ADC E
        CASE(0x8C) AddToA<Is8085>(a, f, h, f & _FlagCY); DISPATCH(); // ADC H
        CASE(0x8D) AddToA<Is8085>(a, f, l, f & _FlagCY); DISPATCH(); // ADC L
        CASE(0x8E) AddToA<Is8085>(a, f, m[JoinPair(h, l)], f & _FlagCY); DISPATCH(); // ADC M
        CASE(0x8F) AddToA<Is8085>(a, f, a, f & _FlagCY); DISPATCH(); // ADC A
        CASE(0x90) SubtractFromA<Is8085>(a, f, b, 0); DISPATCH(); // SUB B
        CASE(0x91) SubtractFromA<Is8085>(a, f, c, 0); DISPATCH(); // SUB C
        CASE(0x92) SubtractFromA<Is8085>(a, f, d, 0); DISPATCH(); // SUB D
        CASE(0x93) SubtractFromA<Is8085>(a, f, e, 0); DISPATCH(); // SUB E
        CASE(0x94) SubtractFromA<Is8085>(a, f, h, 0); DISPATCH(); // SUB H
        CASE(0x95) SubtractFromA<Is8085>(a, f, l, 0); DISPATCH(); // SUB L
        CASE(0x96) SubtractFromA<Is8085>(a, f, m[JoinPair(h, l)], 0); DISPATCH(); // SUB M
        CASE(0x97) SubtractFromA<Is8085>(a, f, a, 0); DISPATCH(); // SUB A
        CASE(0x98) SubtractFromA<Is8085>(a, f, b, f & _FlagCY); DISPATCH(); // SBB B
        CASE(0x99) SubtractFromA<Is8085>(a, f, c, f & _FlagCY); DISPATCH(); // SBB C
        CASE(0x9A) SubtractFromA<Is8085>(a, f, d, f & _FlagCY); DISPATCH(); // SBB D
        CASE(0x9B) SubtractFromA<Is8085>(a, f, e, f & _FlagCY); DISPATCH(); // SBB E
        CASE(0x9C) SubtractFromA<Is8085>(a, f, h, f & _FlagCY); DISPATCH(); // SBB H
        CASE(0x9D) SubtractFromA<Is8085>(a, f, l, f & _FlagCY); DISPATCH(); // SBB L
        CASE(0x9E) SubtractFromA<Is8085>(a, f, m[JoinPair(h, l)], f & _FlagCY); DISPATCH(); // SBB M
        CASE(0x9F) SubtractFromA<Is8085>(a, f, a, f & _FlagCY); DISPATCH(); // SBB A
        CASE(0xA0) AndWithA<Is8085>(a, f, b); DISPATCH(); // ANA B
        CASE(0xA1) AndWithA<Is8085>(a, f, c); DISPATCH(); // ANA C
        CASE(0xA2) AndWithA<Is8085>(a, f, d); DISPATCH(); // ANA D
        CASE(0xA3) AndWithA<Is8085>(a, f, e); DISPATCH(); // ANA E
        CASE(0xA4) AndWithA<Is8085>(a, f, h); DISPATCH(); // ANA H
        CASE(0xA5) AndWithA<Is8085>(a, f, l); DISPATCH(); // ANA L
        CASE(0xA6) AndWithA<Is8085>(a, f, m[JoinPair(h, l)]); DISPATCH(); // ANA M
        CASE(0xA7) AndWithA<Is8085>(a, f, a); DISPATCH(); // ANA A
        CASE(0xA8) XorWithA<Is8085>(a, f, b); DISPATCH(); // XRA B
        CASE(0xA9) XorWithA<Is8085>(a, f, c); DISPATCH(); // XRA C
        CASE(0xAA) XorWithA<Is8085>(a, f, d); DISPATCH(); // XRA D
        CASE(0xAB) XorWithA<Is8085>(a, f, e); DISPATCH(); // XRA E
        CASE(0xAC) XorWithA<Is8085>(a, f, h); DISPATCH(); // XRA H
        CASE(0xAD) XorWithA<Is8085>(a, f, l); DISPATCH(); // XRA L
        CASE(0xAE) XorWithA<Is8085>(a, f, m[JoinPair(h, l)]); DISPATCH(); // XRA M
        CASE(0xAF) XorWithA<Is8085>(a, f, a); DISPATCH(); // XRA A
        CASE(0xB0) OrWithA<Is8085>(a, f, b); DISPATCH(); // ORA B
        CASE(0xB1) OrWithA<Is8085>(a, f, c); DISPATCH(); // ORA C
        CASE(0xB2) OrWithA<Is8085>(a, f, d); DISPATCH(); // ORA D
        CASE(0xB3) OrWithA<Is8085>(a, f, e); DISPATCH(); // ORA E
        CASE(0xB4) OrWithA<Is8085>(a, f, h); DISPATCH(); // ORA H
        CASE(0xB5) OrWithA<Is8085>(a, f, l); DISPATCH(); // ORA L
        CASE(0xB6) OrWithA<Is8085>(a, f, m[JoinPair(h, l)]); DISPATCH(); // ORA M
        CASE(0xB7) OrWithA<Is8085>(a, f, a); DISPATCH(); // ORA A
        CASE(0xB8) CompareWithA<Is8085>(a, f, b); DISPATCH(); // CMP B
        CASE(0xB9) CompareWithA<Is8085>(a, f, c); DISPATCH(); // CMP C
        CASE(0xBA) CompareWithA<Is8085>(a, f, d); DISPATCH(); // CMP D
        CASE(0xBB) CompareWithA<Is8085>(a, f, e); DISPATCH(); // CMP E
        CASE(0xBC) CompareWithA<Is8085>(a, f, h); DISPATCH(); // CMP H
        CASE(0xBD) CompareWithA<Is8085>(a, f, l); DISPATCH(); // CMP L
        CASE(0xBE) CompareWithA<Is8085>(a, f, m[JoinPair(h, l)]); DISPATCH(); // CMP M
        CASE(0xBF) CompareWithA<Is8085>(a, f, a); DISPATCH(); // CMP A
        CASE(0xC0) ReturnIf(!(f & _FlagZ), m, pc, sp, counts, extra[op]); DISPATCH(); // RNZ
        CASE(0xC1) SetPair(b, c, Pop(m, sp)); DISPATCH();       // POP B
        CASE(0xC2) JumpIf(!(f & _FlagZ), m, pc, counts, extra[op]); DISPATCH();  // JNZ
        CASE(0xC3) pc = FetchWord(m, pc); DISPATCH();           // JMP
        CASE(0xC4) CallIf(!(f & _FlagZ), m, pc, sp, counts, extra[op]); DISPATCH();  // CNZ
        CASE(0xC5) Push(m, sp, JoinPair(b, c)); DISPATCH();                 // PUSH B
        CASE(0xC6) AddToA<Is8085>(a, f, m[pc++], 0); DISPATCH(); // ADI
        CASE(0xC7) Restart(m, pc, sp, 0x00); DISPATCH();              // RST 0
        CASE(0xC8) ReturnIf(f & _FlagZ, m, pc, sp, counts, extra[op]); DISPATCH();   // RZ
        CASE(0xC9) pc = Pop(m, sp); DISPATCH();                 // RET
        CASE(0xCA) JumpIf(f & _FlagZ, m, pc, counts, extra[op]); DISPATCH();     // JZ
        CASE(0xCB) // RSTV (8085), JMP (8080)
            if constexpr (Is8085) {
                if (f & _FlagV) {
                    Restart(m, pc, sp, 0x40);
                    counts += extra[op];
                }
            } else {
                pc = FetchWord(m, pc);
            }
            DISPATCH();
        CASE(0xCC) CallIf(f & _FlagZ, m, pc, sp, counts, extra[op]); DISPATCH();     // CZ
        CASE(0xCD) CallIf(true, m, pc, sp, counts, extra[op]); DISPATCH();           // CALL
        CASE(0xCE) AddToA<Is8085>(a, f, m[pc++], f & _FlagCY); DISPATCH(); // ACI
        CASE(0xCF) Restart(m, pc, sp, 0x08); DISPATCH();              // RST 1
        CASE(0xD0) ReturnIf(!(f & _FlagCY), m, pc, sp, counts, extra[op]); DISPATCH(); // RNC
        CASE(0xD1) SetPair(d, e, Pop(m, sp)); DISPATCH();       // POP D
        CASE(0xD2) JumpIf(!(f & _FlagCY), m, pc, counts, extra[op]); DISPATCH(); // JNC
        CASE(0xD3) { // OUT
            const std::uint8_t port = m[pc++];
            if (cpu.Io.Out) {
                cpu.OutAddress = static_cast<std::uint16_t>(pc - 2);
                cpu.OutInstructions = cpu.Instructions + ((counts - start) >> _CountShift);
                cpu.Io.Out(cpu.Io.Context, port, a);
            }
            DISPATCH();
        }
        CASE(0xD4) CallIf(!(f & _FlagCY), m, pc, sp, counts, extra[op]); DISPATCH(); // CNC
        CASE(0xD5) Push(m, sp, JoinPair(d, e)); DISPATCH();                 // PUSH D
        CASE(0xD6) SubtractFromA<Is8085>(a, f, m[pc++], 0); DISPATCH(); // SUI
        CASE(0xD7) Restart(m, pc, sp, 0x10); DISPATCH();              // RST 2
        CASE(0xD8) ReturnIf(f & _FlagCY, m, pc, sp, counts, extra[op]); DISPATCH();  // RC
        CASE(0xD9) // SHLX (8085), RET (8080)
            if constexpr (Is8085)
                WriteWord(m, JoinPair(d, e), JoinPair(h, l));
            else
                pc = Pop(m, sp);
            DISPATCH();
        CASE(0xDA) JumpIf(f & _FlagCY, m, pc, counts, extra[op]); DISPATCH();    // JC
        CASE(0xDB) { // IN
            const std::uint8_t port = m[pc++];
            a = cpu.Io.In ? cpu.Io.In(cpu.Io.Context, port) : 0;
            DISPATCH();
        }
        CASE(0xDC) CallIf(f & _FlagCY, m, pc, sp, counts, extra[op]); DISPATCH();    // CC
        CASE(0xDD) // JNK (8085), CALL (8080)
            if constexpr (Is8085)
                JumpIf(!(f & _FlagK), m, pc, counts, extra[op]);
            else
                CallIf(true, m, pc, sp, counts, extra[op]);
            DISPATCH();
        CASE(0xDE) SubtractFromA<Is8085>(a, f, m[pc++], f & _FlagCY); DISPATCH(); // SBI
        CASE(0xDF) Restart(m, pc, sp, 0x18); DISPATCH();              // RST 3
        CASE(0xE0) ReturnIf(!(f & _FlagP), m, pc, sp, counts, extra[op]); DISPATCH(); // RPO
        CASE(0xE1) SetPair(h, l, Pop(m, sp)); DISPATCH();       // POP H
        CASE(0xE2) JumpIf(!(f & _FlagP), m, pc, counts, extra[op]); DISPATCH();  // JPO
        CASE(0xE3) { // XTHL
            const std::uint16_t top = ReadWord(m, sp);
            WriteWord(m, sp, JoinPair(h, l));
            SetPair(h, l, top);
            DISPATCH();
        }
        CASE(0xE4) CallIf(!(f & _FlagP), m, pc, sp, counts, extra[op]); DISPATCH();  // CPO
        CASE(0xE5) Push(m, sp, JoinPair(h, l)); DISPATCH();                 // PUSH H
        CASE(0xE6) AndWithA<Is8085>(a, f, m[pc++]); DISPATCH(); // ANI
        CASE(0xE7) Restart(m, pc, sp, 0x20); DISPATCH();              // RST 4
        CASE(0xE8) ReturnIf(f & _FlagP, m, pc, sp, counts, extra[op]); DISPATCH();   // RPE
        CASE(0xE9) pc = JoinPair(h, l); DISPATCH();                  // PCHL
        CASE(0xEA) JumpIf(f & _FlagP, m, pc, counts, extra[op]); DISPATCH();     // JPE
        CASE(0xEB) // XCHG
            std::swap(d, h);
            std::swap(e, l);
            DISPATCH();
        CASE(0xEC) CallIf(f & _FlagP, m, pc, sp, counts, extra[op]); DISPATCH();     // CPE
        CASE(0xED) // LHLX (8085), CALL (8080)
            if constexpr (Is8085)
                SetPair(h, l, ReadWord(m, JoinPair(d, e)));
            else
                CallIf(true, m, pc, sp, counts, extra[op]);
            DISPATCH();
        CASE(0xEE) XorWithA<Is8085>(a, f, m[pc++]); DISPATCH(); // XRI
        CASE(0xEF) Restart(m, pc, sp, 0x28); DISPATCH();              // RST 5
        CASE(0xF0) ReturnIf(!(f & _FlagS), m, pc, sp, counts, extra[op]); DISPATCH(); // RP
        CASE(0xF1) { // POP PSW
            const std::uint16_t value = Pop(m, sp);
            f = flags::UnpackPoppedFlags<Is8085>(static_cast<std::uint8_t>(value));
            a = static_cast<std::uint8_t>(value >> 8);
            DISPATCH();
        }
        CASE(0xF2) JumpIf(!(f & _FlagS), m, pc, counts, extra[op]); DISPATCH();  // JP
        CASE(0xF3) // DI
            DisableInterrupts(cpu);
            DISPATCH();
        CASE(0xF4) CallIf(!(f & _FlagS), m, pc, sp, counts, extra[op]); DISPATCH();  // CP
        CASE(0xF5) Push(m, sp, static_cast<std::uint16_t>((a << 8) | flags::PackPushedFlags<Is8085>(f))); DISPATCH(); // PUSH PSW
        CASE(0xF6) OrWithA<Is8085>(a, f, m[pc++]); DISPATCH(); // ORI
        CASE(0xF7) Restart(m, pc, sp, 0x30); DISPATCH();              // RST 6
        CASE(0xF8) ReturnIf(f & _FlagS, m, pc, sp, counts, extra[op]); DISPATCH();   // RM
        CASE(0xF9) sp = JoinPair(h, l); DISPATCH();                  // SPHL
        CASE(0xFA) JumpIf(f & _FlagS, m, pc, counts, extra[op]); DISPATCH();     // JM
        CASE(0xFB) // EI: takes effect after the next instruction
            EnableInterrupts(cpu);
            STOP(Exit::Interrupts);
        CASE(0xFC) CallIf(f & _FlagS, m, pc, sp, counts, extra[op]); DISPATCH();     // CM
        CASE(0xFD) // JK (8085), CALL (8080)
            if constexpr (Is8085)
                JumpIf(f & _FlagK, m, pc, counts, extra[op]);
            else
                CallIf(true, m, pc, sp, counts, extra[op]);
            DISPATCH();
        CASE(0xFE) CompareWithA<Is8085>(a, f, m[pc++]); DISPATCH(); // CPI
        CASE(0xFF) Restart(m, pc, sp, 0x38); DISPATCH();              // RST 7
#if !RUN8085_THREADED
        }
    }
#endif
spent:
    // The budget is spent: take back the instruction just counted.
    pc = static_cast<std::uint16_t>(pc - 1);
    counts -= base[m[pc]];
stop:

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
    cpu.States += counts & _StatesMask;
    cpu.Instructions += (counts - start) >> _CountShift;
    return exit;
}
// clang-format on

#if RUN8085_THREADED
#pragma GCC diagnostic pop
#endif
#undef CASE
#undef DISPATCH
#undef WATCH
#undef STOP
#undef BREAK_CHECK

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
    cpu.LastInterrupt = TakenInterrupt{};
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

RunEnd RunCpuWatched(CpuState& cpu, std::uint64_t stepLimit, RunWatch& watch)
{
    for (;;) {
        if (stepLimit != 0 && cpu.Instructions >= stepLimit)
            return RunEnd::StepLimit;
        if (cpu.Halted || cpu.EnablePending || IsInterruptWaiting(cpu)) {
            const std::uint16_t address = cpu.PC;
            if (StepCpu(cpu) == 0)
                return RunEnd::Halted;
            watch.LastAddress = address;
            continue;
        }
        const std::uint64_t budget = stepLimit != 0 ? stepLimit - cpu.Instructions : UINT64_MAX;
        const Exit exit = cpu.Model == CpuModel::I8085 ? Execute<true, false, true>(cpu, budget, nullptr, &watch)
                                                       : Execute<false, false, true>(cpu, budget, nullptr, &watch);
        if (exit == Exit::Watch)
            return RunEnd::Watched;
    }
}

int FindStoreAddresses(const CpuState& cpu, std::uint16_t addresses[2])
{
    const StoreKind kind = FindStoreKinds(cpu.Model)[cpu.Memory[cpu.PC]];
    return FindStores(kind, cpu.Memory, static_cast<std::uint16_t>(cpu.PC + 1), cpu.SP, JoinPair(cpu.B, cpu.C),
                      JoinPair(cpu.D, cpu.E), JoinPair(cpu.H, cpu.L), addresses);
}

int FindLoadAddresses(const CpuState& cpu, std::uint16_t addresses[2])
{
    static const std::array<StoreKind, 256> kinds8080 = BuildLoadKinds(CpuModel::I8080);
    static const std::array<StoreKind, 256> kinds8085 = BuildLoadKinds(CpuModel::I8085);
    const StoreKind kind = (cpu.Model == CpuModel::I8085 ? kinds8085 : kinds8080)[cpu.Memory[cpu.PC]];
    return FindStores(kind, cpu.Memory, static_cast<std::uint16_t>(cpu.PC + 1), cpu.SP, JoinPair(cpu.B, cpu.C),
                      JoinPair(cpu.D, cpu.E), JoinPair(cpu.H, cpu.L), addresses);
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

RunEnd RunCpuUntilBreak(CpuState& cpu, std::uint64_t stepLimit, const std::uint8_t* breaks)
{
    for (bool first = true;; first = false) {
        if (stepLimit != 0 && cpu.Instructions >= stepLimit)
            return RunEnd::StepLimit;
        if (!first && breaks[cpu.PC])
            return RunEnd::Break;
        if (first || cpu.Halted || cpu.EnablePending || IsInterruptWaiting(cpu)) {
            if (StepCpu(cpu) == 0)
                return RunEnd::Halted;
            continue;
        }
        const std::uint64_t budget = stepLimit != 0 ? stepLimit - cpu.Instructions : UINT64_MAX;
        if (cpu.Model == CpuModel::I8085)
            Execute<true, true>(cpu, budget, breaks);
        else
            Execute<false, true>(cpu, budget, breaks);
    }
}

std::uint8_t PswByte(const CpuState& cpu)
{
    return cpu.Model == CpuModel::I8085 ? flags::PackPushedFlags<true>(cpu.F) : flags::PackPushedFlags<false>(cpu.F);
}
