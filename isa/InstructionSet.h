// The 8080/8085 instruction set, defined once for the second pass (which
// encodes it) and the simulator (which decodes, times and disassembles it).
//
// Every one of the 256 opcodes has a row for each processor model: its
// mnemonic as the source language spells it, the register operands that the
// opcode itself selects, the kind of value that follows it in memory, its
// length, its T-states, and what it does to the flow of control.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class CpuModel : std::uint8_t { I8080, I8085 };

// What follows the opcode byte, or what the source gives after the register
// operands.
enum class ValueKind : std::uint8_t {
    None,      // nothing
    Byte,      // d8: one byte of data
    Word,      // d16: two bytes of data, low byte first
    Address,   // a16: a memory address, low byte first
    Port,      // an I/O port number, one byte
    RstNumber, // RST n: the number 0-7 sits in bits 3-5 of the opcode itself
};

// What an instruction does to the flow of control, as the debugger's next
// and finish, the page's Step over and Step out, and the simulator's watch
// for stores into code see it.
enum class ControlKind : std::uint8_t {
    None,    // runs on to the next instruction
    Jump,    // JMP, Jcc, PCHL (to HL), and the 8085's undocumented JNK, JK
    Call,    // CALL and Ccc: pushes the address after it and jumps
    Return,  // RET and Rcc: pops PC
    Restart, // RST n, and the 8085's undocumented RSTV: pushes PC and jumps to a fixed vector
};

struct InstructionInfo {
    const char* Mnemonic; // "MOV", "JNZ", "RST"
    const char* Operand1; // first register operand ("A", "M", "SP", "PSW") or nullptr
    const char* Operand2; // second register operand (MOV only) or nullptr
    ValueKind Value;
    std::uint8_t Size;        // bytes, opcode included
    std::uint8_t States;      // T-states; for a conditional transfer, when it is not taken
    std::uint8_t StatesTaken; // T-states when a condition holds (equals States otherwise)
    bool Documented;          // listed in the maker's manual for this model
    ControlKind Control;      // what it does to the flow of control
    bool Conditional;         // the transfer happens only when a flag condition holds
};

// The row of an opcode for a processor model.
const InstructionInfo& DescribeOpcode(CpuModel cpu, std::uint8_t opcode);

// The name of a control kind as the page's exports spell it: "none",
// "jump", "call", "return", "restart".
const char* NameControlKind(ControlKind kind);

// Number of register operands that a mnemonic of the 8085 takes (0, 1 or 2),
// or -1 when the mnemonic is not in the instruction set. Mnemonics are
// matched exactly (upper case).
int CountRegisterOperands(std::string_view mnemonic);

// The instruction at bytes[0..2] in the source syntax: "MVI A, 0AH",
// "JMP 2000H", "RST 7", "MOV M, A". Values are upper-case hexadecimal with
// an H suffix and a leading 0 where they would begin with a letter: two
// digits for bytes and ports, four for words and addresses.
std::string FormatInstruction(CpuModel cpu, const std::uint8_t bytes[3]);
