#include "Encoder.h"

#include "Expression.h"
#include "InstructionSet.h"
#include "Listing.h"
#include "Messages.h"

#include <algorithm>
#include <unordered_map>

namespace {

// One opcode of a mnemonic, with its row of the shared table.
struct OpcodeForm {
    std::uint8_t Opcode;
    const InstructionInfo* Info;
};

// The opcodes of one mnemonic, in opcode order, from the shared table.
struct MnemonicForms {
    const InstructionInfo* First = nullptr; // register count and value kind are the same for all
    int RegisterCount = 0;
    std::vector<OpcodeForm> Opcodes;
};

using FormIndex = std::unordered_map<std::string_view, MnemonicForms>;

const FormIndex& Forms()
{
    static const FormIndex index = [] {
        FormIndex built;
        for (int opcode = 0; opcode < 256; ++opcode) {
            const InstructionInfo& info = DescribeOpcode(CpuModel::I8085, static_cast<std::uint8_t>(opcode));
            MnemonicForms& forms = built[info.Mnemonic];
            if (forms.First == nullptr) {
                forms.First = &info;
                forms.RegisterCount = CountRegisterOperands(info.Mnemonic);
            }
            forms.Opcodes.push_back({static_cast<std::uint8_t>(opcode), &info});
        }
        return built;
    }();
    return index;
}

std::string_view OperandOf(const InstructionInfo& info, int position)
{
    const char* operand = position == 0 ? info.Operand1 : info.Operand2;
    return operand ? std::string_view(operand) : std::string_view();
}

// The names the mnemonic takes as its register operand at a position, in
// opcode order.
std::vector<std::string_view> AllowedNames(const MnemonicForms& forms, int position)
{
    std::vector<std::string_view> names;
    for (const OpcodeForm& form : forms.Opcodes) {
        const std::string_view name = OperandOf(*form.Info, position);
        if (std::find(names.begin(), names.end(), name) == names.end()) {
            names.push_back(name);
        }
    }
    return names;
}

// "register" where the operand names single registers, "register pair"
// where it names pairs (no pair is called C).
const char* OperandKind(const MnemonicForms& forms, int position)
{
    const std::vector<std::string_view> names = AllowedNames(forms, position);
    return std::find(names.begin(), names.end(), "C") != names.end() ? "register" : "register pair";
}

// What a register operand is wrong with: a name the mnemonic never takes
// there, or a pair of names that no opcode has.
std::string DescribeBadRegisters(std::string_view mnemonic, const MnemonicForms& forms,
                                 std::span<const std::string_view> registers)
{
    for (int position = 0; position < forms.RegisterCount; ++position) {
        const std::vector<std::string_view> names = AllowedNames(forms, position);
        if (std::find(names.begin(), names.end(), registers[position]) == names.end()) {
            std::string text = std::string("bad ") + OperandKind(forms, position) + " " +
                               ShowField(registers[position]) + ": " + std::string(mnemonic) + " takes";
            for (std::string_view name : names) {
                text += " " + std::string(name);
            }
            return text;
        }
    }
    std::string combination(mnemonic);
    for (std::string_view name : registers) {
        combination += " " + std::string(name);
    }
    return combination + " is no instruction";
}

// Names the kind of value in messages, with its range.
struct ValueRange {
    const char* Name;
    long long Lowest;
    long long Highest;
};

ValueRange RangeOf(ValueKind kind)
{
    switch (kind) {
    case ValueKind::Byte: return {"byte", -128, 255};
    case ValueKind::Port: return {"port", -128, 255};
    case ValueKind::Word: return {"word", -32768, 65535};
    case ValueKind::Address: return {"address", -32768, 65535};
    case ValueKind::RstNumber: return {"restart number", 0, 7};
    case ValueKind::None: break;
    }
    return {"value", 0, 0};
}

// The fields of an expression as one text, for messages.
std::string JoinFields(std::span<const std::string_view> fields)
{
    std::string text;
    for (std::string_view field : fields) {
        if (!text.empty()) {
            text += ' ';
        }
        text += field;
    }
    return text;
}

} // namespace

std::string EncodeInstruction(std::span<const std::string_view> fields, const SymbolTable& symbols,
                              EncodedInstruction& encoded)
{
    const std::string_view mnemonic = fields[0];
    const auto found = Forms().find(mnemonic);
    if (found == Forms().end()) {
        return "unknown mnemonic " + ShowField(mnemonic);
    }
    const MnemonicForms& forms = found->second;
    const std::span<const std::string_view> operands = fields.subspan(1);
    if (operands.size() < static_cast<std::size_t>(forms.RegisterCount)) {
        return std::string("missing ") + OperandKind(forms, static_cast<int>(operands.size()));
    }
    const std::span<const std::string_view> registers = operands.first(forms.RegisterCount);
    const std::span<const std::string_view> valueFields = operands.subspan(forms.RegisterCount);

    const OpcodeForm* match = nullptr;
    for (const OpcodeForm& form : forms.Opcodes) {
        if ((forms.RegisterCount < 1 || registers[0] == OperandOf(*form.Info, 0)) &&
            (forms.RegisterCount < 2 || registers[1] == OperandOf(*form.Info, 1))) {
            match = &form;
            break;
        }
    }
    if (match == nullptr) {
        return DescribeBadRegisters(mnemonic, forms, registers);
    }

    const int opcode = match->Opcode;
    const InstructionInfo& info = *match->Info;
    encoded = EncodedInstruction{};
    encoded.Bytes[0] = static_cast<std::uint8_t>(opcode);
    encoded.Size = info.Size;
    if (info.Value == ValueKind::None) {
        if (!valueFields.empty()) {
            return "unexpected operand " + ShowField(valueFields[0]);
        }
        return {};
    }
    const ValueRange range = RangeOf(info.Value);
    if (valueFields.empty()) {
        return std::string("missing ") + range.Name;
    }
    long long value = 0;
    const std::string problem = EvaluateExpression(valueFields, symbols, value);
    if (!problem.empty()) {
        return problem;
    }
    if (value < range.Lowest || value > range.Highest) {
        const std::string written = JoinFields(valueFields);
        const std::string shown =
            std::to_string(value) == written ? written : ShowField(written) + " = " + std::to_string(value);
        return std::string(range.Name) + " " + shown + " out of range " + std::to_string(range.Lowest) + ".." +
               std::to_string(range.Highest);
    }
    switch (info.Value) {
    case ValueKind::RstNumber: encoded.Bytes[0] = static_cast<std::uint8_t>(opcode + 8 * value); break;
    case ValueKind::Byte:
    case ValueKind::Port: encoded.Bytes[1] = static_cast<std::uint8_t>(value & 0xFF); break;
    default:
        encoded.Bytes[1] = static_cast<std::uint8_t>(value & 0xFF);
        encoded.Bytes[2] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
        break;
    }
    return {};
}

std::string EncodeData(std::span<const std::string_view> fields, std::vector<std::uint8_t>& bytes)
{
    const bool words = fields[0] == "DW";
    const long lowest = words ? -32768 : -128;
    const long highest = words ? 65535 : 255;
    if (fields.size() == 1) {
        return std::string(fields[0]) + " record without values";
    }
    for (std::string_view field : fields.subspan(1)) {
        long value = 0;
        if (!ReadDecimal(field, value)) {
            return std::string(fields[0]) + " value " + ShowField(field) + " is not a decimal number";
        }
        if (value < lowest || value > highest) {
            return std::string(fields[0]) + " value " + ShowField(field) + " out of range " + std::to_string(lowest) +
                   ".." + std::to_string(highest);
        }
        bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
        if (words) {
            bytes.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
        }
    }
    return {};
}
