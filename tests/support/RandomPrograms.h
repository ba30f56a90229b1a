// Random programs over every documented 8080 opcode, from a seed, so that a
// failure repeats: 48 instructions at 2000H whose jumps, calls and PCHL go
// to the start of one of them, followed by a HLT; 256 bytes of random data
// at 4000H that HL, BC and DE point into; a stack area from 5E00H holding
// return addresses into the code; RET at every restart vector; HLT in the
// rest of memory.
//
// DAA and PUSH PSW come only where their results depend on nothing but S,
// Z, P and CY: DAA right after an addition or a logical OR, and PUSH PSW as
// PUSH PSW; POP PSW; PUSH B; POP B. OUT and IN use ports 40H-EFH. The
// duplicate opcodes CBH, D9H, DDH, EDH and FDH are never placed, and no
// random byte (data, an immediate) takes the value of any of these opcodes,
// so that a jump into data cannot reach them either. A program can still
// stray from that plan (a store into its own code, a return to an address a
// register held).
#pragma once

#include <cstdint>
#include <vector>

constexpr int _RandomUnitsPerProgram = 48;
constexpr std::uint16_t _RandomCodeStart = 0x2000;
constexpr std::uint16_t _RandomDataStart = 0x4000; // 256 bytes of random data
constexpr std::uint16_t _RandomStackFill = 0x5E00; // to 61FFH: return addresses into the code
constexpr std::uint16_t _RandomStackLow = 0x5F00;  // where SP starts, and where LXI SP and SPHL put it
constexpr std::uint8_t _RandomHlt = 0x76;
constexpr std::uint8_t _RandomRet = 0xC9;

// A program and the state it starts from.
struct RandomProgram {
    std::vector<std::uint8_t> Memory = std::vector<std::uint8_t>(65536, _RandomHlt);
    std::uint16_t PC = _RandomCodeStart, SP = _RandomStackLow;
    std::uint16_t CodeEnd = _RandomCodeStart; // just past the final HLT
    std::uint8_t A = 0, F = 0, B = 0, C = 0, D = 0, E = 0, H = 0, L = 0;
    bool IE = false;
};

// Opcodes the programs place only as planned (DAA, PUSH PSW, the
// duplicates, OUT and IN); no random byte takes their values.
bool IsGuardedByte(std::uint8_t byte);

// The 8080's duplicate opcodes CBH, D9H, DDH, EDH and FDH.
bool IsDuplicate(std::uint8_t opcode);

// The first count programs of seed.
std::vector<RandomProgram> GenerateRandomPrograms(std::uint32_t seed, int count);
