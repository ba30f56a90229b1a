// The records of the simulator's starting state and the image file that holds
// them. Every field is made of single bytes, so the records have no padding
// and their byte layout is the same on every host: it is the image format.
#pragma once

#include <cstddef>
#include <cstdint>

// Bytes of simulated memory, addresses 0x0000 to 0xFFFF.
constexpr std::size_t _MemorySize = 65536;

// Bytes of the whole image file.
constexpr std::size_t _ImageSize = 65560;

// A register pair: the high register (B, D or H) first, then the low one.
struct RegisterPair {
    unsigned char High;
    unsigned char Low;
};

// The seven 8-bit registers and the three pairs that repeat them.
struct REGS {
    unsigned char A;
    unsigned char B;
    unsigned char C;
    unsigned char D;
    unsigned char E;
    unsigned char H;
    unsigned char L;
    RegisterPair BC;
    RegisterPair DE;
    RegisterPair HL;
};

// The five condition flags, each 0 or 1, and the flag byte that packs them.
struct FLAGS {
    unsigned char FlagByte;
    unsigned char S;
    unsigned char P;
    unsigned char Z;
    unsigned char CY;
    unsigned char AC;
};

// A signed 16-bit value kept as two bytes, low byte first, whatever the
// byte order of the host.
struct LittleEndianWord {
    unsigned char Bytes[2];
};

// The whole image: memory, then the two words, the registers, the flags and
// the extra flag, exactly as the image file holds them.
struct MachineImage {
    unsigned char Memory[_MemorySize];
    LittleEndianWord Word1;
    LittleEndianWord Word2;
    REGS Registers;
    FLAGS Flags;
    unsigned char ExtraFlag;
};

static_assert(sizeof(RegisterPair) == 2);
static_assert(offsetof(RegisterPair, High) == 0);
static_assert(offsetof(RegisterPair, Low) == 1);

static_assert(sizeof(REGS) == 13);
static_assert(offsetof(REGS, A) == 0);
static_assert(offsetof(REGS, B) == 1);
static_assert(offsetof(REGS, C) == 2);
static_assert(offsetof(REGS, D) == 3);
static_assert(offsetof(REGS, E) == 4);
static_assert(offsetof(REGS, H) == 5);
static_assert(offsetof(REGS, L) == 6);
static_assert(offsetof(REGS, BC) == 7);
static_assert(offsetof(REGS, DE) == 9);
static_assert(offsetof(REGS, HL) == 11);

static_assert(sizeof(FLAGS) == 6);
static_assert(offsetof(FLAGS, FlagByte) == 0);
static_assert(offsetof(FLAGS, S) == 1);
static_assert(offsetof(FLAGS, P) == 2);
static_assert(offsetof(FLAGS, Z) == 3);
static_assert(offsetof(FLAGS, CY) == 4);
static_assert(offsetof(FLAGS, AC) == 5);

static_assert(sizeof(LittleEndianWord) == 2);

static_assert(sizeof(MachineImage) == _ImageSize);
static_assert(offsetof(MachineImage, Memory) == 0);
static_assert(offsetof(MachineImage, Word1) == 65536);
static_assert(offsetof(MachineImage, Word2) == 65538);
static_assert(offsetof(MachineImage, Registers) == 65540);
static_assert(offsetof(MachineImage, Flags) == 65553);
static_assert(offsetof(MachineImage, ExtraFlag) == 65559);

// Stores a signed 16-bit value, low byte first.
constexpr void StoreWord(LittleEndianWord& word, std::int16_t value)
{
    const auto bits = static_cast<std::uint16_t>(value);
    word.Bytes[0] = static_cast<unsigned char>(bits & 0xFF);
    word.Bytes[1] = static_cast<unsigned char>(bits >> 8);
}

// Reads back the signed 16-bit value of a stored word.
constexpr std::int16_t LoadWord(const LittleEndianWord& word)
{
    return static_cast<std::int16_t>(word.Bytes[0] | (word.Bytes[1] << 8));
}
