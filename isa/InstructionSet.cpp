// The opcode rows of both processor models, built from the regular layout of
// the opcode byte: x = bits 7-6, y = bits 5-3, z = bits 2-0, with y split into
// the register pair p = bits 5-4 and q = bit 3. T-states are those of the
// makers' manuals; the 8085's undocumented instructions take the published
// figures.
#include "InstructionSet.h"

#include <array>

namespace {

using Table = std::array<InstructionInfo, 256>;

// Operand and mnemonic names by their field value in the opcode.
const char* const _Registers[8] = {"B", "C", "D", "E", "H", "L", "M", "A"};
const char* const _Pairs[4] = {"B", "D", "H", "SP"};
const char* const _StackPairs[4] = {"B", "D", "H", "PSW"};
const char* const _Jumps[8] = {"JNZ", "JZ", "JNC", "JC", "JPO", "JPE", "JP", "JM"};
const char* const _Calls[8] = {"CNZ", "CZ", "CNC", "CC", "CPO", "CPE", "CP", "CM"};
const char* const _Returns[8] = {"RNZ", "RZ", "RNC", "RC", "RPO", "RPE", "RP", "RM"};
const char* const _AluOnRegister[8] = {"ADD", "ADC", "SUB", "SBB", "ANA", "XRA", "ORA", "CMP"};
const char* const _AluOnByte[8] = {"ADI", "ACI", "SUI", "SBI", "ANI", "XRI", "ORI", "CPI"};
const char* const _Accumulator[8] = {"RLC", "RRC", "RAL", "RAR", "DAA", "CMA", "STC", "CMC"};
const char* const _Loads[4] = {"LDAX", "LDAX", "LHLD", "LDA"};
const char* const _Stores[4] = {"STAX", "STAX", "SHLD", "STA"};

constexpr int _Memory = 6; // the register field value that names M

InstructionInfo Row(const char* mnemonic, ValueKind value, int size, int states, int taken = -1, bool documented = true)
{
    return InstructionInfo{mnemonic,
                           nullptr,
                           nullptr,
                           value,
                           static_cast<std::uint8_t>(size),
                           static_cast<std::uint8_t>(states),
                           static_cast<std::uint8_t>(taken < 0 ? states : taken),
                           documented,
                           ControlKind::None,
                           false};
}

// A transfer of control; conditional when it has a flag condition.
InstructionInfo Transfer(InstructionInfo row, ControlKind kind, bool conditional = false)
{
    row.Control = kind;
    row.Conditional = conditional;
    return row;
}

InstructionInfo WithOperands(InstructionInfo row, const char* operand1, const char* operand2 = nullptr)
{
    row.Operand1 = operand1;
    row.Operand2 = operand2;
    return row;
}

// Opcodes 00H-3FH.
InstructionInfo DescribeLowQuarter(bool is8085, int y, int z)
{
    const int p = y >> 1;
    const bool q = (y & 1) != 0;
    switch (z) {
    case 0:
        if (y == 0)
            return Row("NOP", ValueKind::None, 1, 4);
        if (!is8085)
            return Row("NOP", ValueKind::None, 1, 4, -1, false);
        switch (y) {
        case 1: return Row("DSUB", ValueKind::None, 1, 10, -1, false);
        case 2: return Row("ARHL", ValueKind::None, 1, 7, -1, false);
        case 3: return Row("RDEL", ValueKind::None, 1, 10, -1, false);
        case 4: return Row("RIM", ValueKind::None, 1, 4);
        case 5: return Row("LDHI", ValueKind::Byte, 2, 10, -1, false);
        case 6: return Row("SIM", ValueKind::None, 1, 4);
        default: return Row("LDSI", ValueKind::Byte, 2, 10, -1, false);
        }
    case 1:
        return q ? WithOperands(Row("DAD", ValueKind::None, 1, 10), _Pairs[p])
                 : WithOperands(Row("LXI", ValueKind::Word, 3, 10), _Pairs[p]);
    case 2: {
        const char* mnemonic = q ? _Loads[p] : _Stores[p];
        if (p < 2)
            return WithOperands(Row(mnemonic, ValueKind::None, 1, 7), _Pairs[p]);
        return Row(mnemonic, ValueKind::Address, 3, p == 2 ? 16 : 13);
    }
    case 3: return WithOperands(Row(q ? "DCX" : "INX", ValueKind::None, 1, is8085 ? 6 : 5), _Pairs[p]);
    case 4:
    case 5: {
        const int states = y == _Memory ? 10 : (is8085 ? 4 : 5);
        return WithOperands(Row(z == 4 ? "INR" : "DCR", ValueKind::None, 1, states), _Registers[y]);
    }
    case 6: return WithOperands(Row("MVI", ValueKind::Byte, 2, y == _Memory ? 10 : 7), _Registers[y]);
    default: return Row(_Accumulator[y], ValueKind::None, 1, 4);
    }
}

// Opcodes 40H-7FH: the moves, and HLT where MOV M, M would be.
InstructionInfo DescribeMove(bool is8085, int y, int z)
{
    if (y == _Memory && z == _Memory)
        return Row("HLT", ValueKind::None, 1, is8085 ? 5 : 7);
    const int states = (y == _Memory || z == _Memory) ? 7 : (is8085 ? 4 : 5);
    return WithOperands(Row("MOV", ValueKind::None, 1, states), _Registers[y], _Registers[z]);
}

// Opcodes C0H-FFH.
InstructionInfo DescribeHighQuarter(bool is8085, int y, int z)
{
    const int p = y >> 1;
    const bool q = (y & 1) != 0;
    switch (z) {
    case 0:
        return Transfer(is8085 ? Row(_Returns[y], ValueKind::None, 1, 6, 12)
                               : Row(_Returns[y], ValueKind::None, 1, 5, 11),
                        ControlKind::Return, true);
    case 1:
        if (!q)
            return WithOperands(Row("POP", ValueKind::None, 1, 10), _StackPairs[p]);
        switch (p) {
        case 0: return Transfer(Row("RET", ValueKind::None, 1, 10), ControlKind::Return);
        case 1:
            return is8085 ? Row("SHLX", ValueKind::None, 1, 10, -1, false)
                          : Transfer(Row("RET", ValueKind::None, 1, 10, -1, false), ControlKind::Return);
        case 2: return Transfer(Row("PCHL", ValueKind::None, 1, is8085 ? 6 : 5), ControlKind::Jump);
        default: return Row("SPHL", ValueKind::None, 1, is8085 ? 6 : 5);
        }
    case 2:
        return Transfer(is8085 ? Row(_Jumps[y], ValueKind::Address, 3, 7, 10)
                               : Row(_Jumps[y], ValueKind::Address, 3, 10),
                        ControlKind::Jump, true);
    case 3:
        switch (y) {
        case 0: return Transfer(Row("JMP", ValueKind::Address, 3, 10), ControlKind::Jump);
        case 1:
            return is8085 ? Transfer(Row("RSTV", ValueKind::None, 1, 6, 12, false), ControlKind::Restart, true)
                          : Transfer(Row("JMP", ValueKind::Address, 3, 10, -1, false), ControlKind::Jump);
        case 2: return Row("OUT", ValueKind::Port, 2, 10);
        case 3: return Row("IN", ValueKind::Port, 2, 10);
        case 4: return Row("XTHL", ValueKind::None, 1, is8085 ? 16 : 18);
        case 5: return Row("XCHG", ValueKind::None, 1, 4);
        case 6: return Row("DI", ValueKind::None, 1, 4);
        default: return Row("EI", ValueKind::None, 1, 4);
        }
    case 4:
        return Transfer(is8085 ? Row(_Calls[y], ValueKind::Address, 3, 9, 18)
                               : Row(_Calls[y], ValueKind::Address, 3, 11, 17),
                        ControlKind::Call, true);
    case 5:
        if (!q)
            return WithOperands(Row("PUSH", ValueKind::None, 1, is8085 ? 12 : 11), _StackPairs[p]);
        if (p == 0)
            return Transfer(Row("CALL", ValueKind::Address, 3, is8085 ? 18 : 17), ControlKind::Call);
        if (!is8085)
            return Transfer(Row("CALL", ValueKind::Address, 3, 17, -1, false), ControlKind::Call);
        switch (p) {
        case 1: return Transfer(Row("JNK", ValueKind::Address, 3, 7, 10, false), ControlKind::Jump, true);
        case 2: return Row("LHLX", ValueKind::None, 1, 10, -1, false);
        default: return Transfer(Row("JK", ValueKind::Address, 3, 7, 10, false), ControlKind::Jump, true);
        }
    case 6: return Row(_AluOnByte[y], ValueKind::Byte, 2, 7);
    default: return Transfer(Row("RST", ValueKind::RstNumber, 1, is8085 ? 12 : 11), ControlKind::Restart);
    }
}

Table BuildTable(CpuModel cpu)
{
    const bool is8085 = cpu == CpuModel::I8085;
    Table table{};
    for (int opcode = 0; opcode < 256; ++opcode) {
        const int x = opcode >> 6;
        const int y = (opcode >> 3) & 7;
        const int z = opcode & 7;
        switch (x) {
        case 0: table[opcode] = DescribeLowQuarter(is8085, y, z); break;
        case 1: table[opcode] = DescribeMove(is8085, y, z); break;
        case 2:
            table[opcode] =
                WithOperands(Row(_AluOnRegister[y], ValueKind::None, 1, z == _Memory ? 7 : 4), _Registers[z]);
            break;
        default: table[opcode] = DescribeHighQuarter(is8085, y, z); break;
        }
    }
    return table;
}

const Table& TableOf(CpuModel cpu)
{
    static const Table table8080 = BuildTable(CpuModel::I8080);
    static const Table table8085 = BuildTable(CpuModel::I8085);
    return cpu == CpuModel::I8085 ? table8085 : table8080;
}

// Appends a value in hexadecimal with an H suffix, with a leading 0 where
// the first digit is a letter.
void AppendHex(std::string& text, unsigned value, int digits)
{
    static const char _Digits[] = "0123456789ABCDEF";
    if (((value >> (4 * (digits - 1))) & 0xF) > 9)
        text += '0';
    for (int i = digits - 1; i >= 0; --i)
        text += _Digits[(value >> (4 * i)) & 0xF];
    text += 'H';
}

} // namespace

const InstructionInfo& DescribeOpcode(CpuModel cpu, std::uint8_t opcode)
{
    return TableOf(cpu)[opcode];
}

const char* NameControlKind(ControlKind kind)
{
    switch (kind) {
    case ControlKind::None: return "none";
    case ControlKind::Jump: return "jump";
    case ControlKind::Call: return "call";
    case ControlKind::Return: return "return";
    case ControlKind::Restart: return "restart";
    }
    return "none";
}

int CountRegisterOperands(std::string_view mnemonic)
{
    for (const InstructionInfo& row : TableOf(CpuModel::I8085)) {
        if (mnemonic == row.Mnemonic)
            return (row.Operand1 ? 1 : 0) + (row.Operand2 ? 1 : 0);
    }
    return -1;
}

std::string FormatInstruction(CpuModel cpu, const std::uint8_t bytes[3])
{
    const InstructionInfo& row = DescribeOpcode(cpu, bytes[0]);
    std::string text = row.Mnemonic;
    const char* separator = " ";
    for (const char* operand : {row.Operand1, row.Operand2}) {
        if (operand) {
            text += separator;
            text += operand;
            separator = ", ";
        }
    }
    if (row.Value == ValueKind::None)
        return text;
    text += separator;
    switch (row.Value) {
    case ValueKind::Byte:
    case ValueKind::Port: AppendHex(text, bytes[1], 2); break;
    case ValueKind::Word:
    case ValueKind::Address: AppendHex(text, bytes[1] | (bytes[2] << 8), 4); break;
    default: text += static_cast<char>('0' + ((bytes[0] >> 3) & 7)); break;
    }
    return text;
}
