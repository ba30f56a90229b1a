// The register set of the processor, declared once: one row per register,
// register pair and flag, with its width and how to read and write it. Every
// view of the registers reads this table: the debugger's print, set and
// watch, its register line, Run8085's report, and the page (through the
// debugger's module, which exports the table and the values by it).
#pragma once

#include "Cpu.h"

#include <cstdint>
#include <span>
#include <string_view>

enum class RegisterKind : std::uint8_t {
    Register, // a register of its own: PC, SP, A to L
    Pair,     // two byte registers seen as one word: BC, DE, HL, and PSW (A and the flag byte)
    Flag,     // one bit of the flag register
};

struct RegisterInfo {
    const char* Name; // upper case, as the debugger and the report spell it: "A", "HL", "CY"
    RegisterKind Kind;
    int Bits;      // 16, 8, or 1 for a flag
    bool Only8085; // the 8080 has no such register (its flag byte has no V or K)
    unsigned (*Read)(const CpuState& cpu);
    void (*Write)(CpuState& cpu, unsigned value); // null: read-only; the value is cut to Bits
};

// Every row, in the order the register line and the report show them:
// PC SP A B C D E H L, the pairs BC DE HL PSW, then the flags S Z AC P CY V K.
std::span<const RegisterInfo> ListRegisters();

// The row named name (exactly, upper case), or null.
const RegisterInfo* FindRegisterInfo(std::string_view name);

// Whether the model has the register.
bool HasRegister(const RegisterInfo& row, CpuModel model);
