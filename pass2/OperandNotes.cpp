#include "OperandNotes.h"

#include "InstructionSet.h"
#include "Messages.h"

#include <algorithm>
#include <span>

namespace {

bool IsQuote(char c)
{
    return c == '\'' || c == '"';
}

bool IsDecimalDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c)
{
    return IsDecimalDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// The kind of value that follows the mnemonic's register operands.
ValueKind ValueOf(std::string_view mnemonic)
{
    for (int opcode = 0; opcode < 256; ++opcode) {
        const InstructionInfo& info = DescribeOpcode(CpuModel::I8085, static_cast<std::uint8_t>(opcode));
        if (mnemonic == info.Mnemonic) {
            return info.Value;
        }
    }
    return ValueKind::None;
}

// The fields of the record's value, after its register operands; none for a
// mnemonic the instruction set does not have.
std::span<const std::string_view> ValueFields(const ListingRecord& record)
{
    const int registers = CountRegisterOperands(record.Fields[0]);
    if (registers < 0 || record.Fields.size() <= static_cast<std::size_t>(registers) + 1 ||
        ValueOf(record.Fields[0]) == ValueKind::None) {
        return {};
    }
    return std::span<const std::string_view>(record.Fields).subspan(static_cast<std::size_t>(registers) + 1);
}

} // namespace

std::string CutGluedComment(ListingRecord& record)
{
    if (record.Fields[0] == "DB" || record.Fields[0] == "DW") {
        return {};
    }
    for (std::size_t i = 1; i < record.Fields.size(); ++i) {
        const std::string_view field = record.Fields[i];
        if (IsQuote(field[0])) {
            continue;
        }
        for (std::size_t at = 0; at < field.size(); ++at) {
            if (IsQuote(field[at]) && at + 2 < field.size() && field[at + 2] == field[at]) {
                at += 2; // a character constant such as ';'
            } else if (field[at] == ';') {
                const std::string text = "';' in " + ShowField(field) + " starts a comment, so the operands end at " +
                                         (at == 0 ? std::string("the field before") : ShowField(field.substr(0, at))) +
                                         "; put a blank before ';'";
                record.Fields[i] = field.substr(0, at);
                record.Fields.resize(at == 0 ? i : i + 1);
                return text;
            }
        }
    }
    return {};
}

std::string CheckDecimalAddress(const ListingRecord& record)
{
    const std::span<const std::string_view> value = ValueFields(record);
    if (value.size() != 1 || value[0].size() != 4 || !std::all_of(value[0].begin(), value[0].end(), IsDecimalDigit) ||
        (record.Fields[0] != "LXI" && ValueOf(record.Fields[0]) != ValueKind::Address)) {
        return {};
    }
    const int number = std::stoi(std::string(value[0]));
    if (number < 10) {
        return {}; // the same number either way
    }
    static const char _Hex[] = "0123456789ABCDEF";
    std::string hex = "0000H";
    for (int i = 3, rest = number; i >= 0; --i, rest >>= 4) {
        hex[static_cast<std::size_t>(i)] = _Hex[rest & 0xF];
    }
    const std::string written(value[0]);
    return written + " is decimal (" + hex + "); write " + written + "H for hexadecimal";
}

std::string AdviseOnHexadecimal(const ListingRecord& record, const SymbolTable& symbols)
{
    for (std::string_view field : ValueFields(record)) {
        if (IsQuote(field[0])) {
            continue;
        }
        for (std::size_t at = 0; at < field.size();) {
            const std::size_t end = std::min(field.find_first_of("+-", at), field.size());
            const std::string_view term = field.substr(at, end - at);
            at = end + 1;
            if (term.empty() || !std::all_of(term.begin(), term.end(), IsHexDigit) ||
                std::all_of(term.begin(), term.end(), IsDecimalDigit) || symbols.count(term) > 0 ||
                (term.size() == 1 && term[0] >= 'A' && term[0] <= 'E') || // a register's name
                (!IsDecimalDigit(term[0]) && term.size() > 2)) {          // more likely a name (DEAD, ADD1)
                continue;
            }
            std::string spelled(term);
            std::transform(spelled.begin(), spelled.end(), spelled.begin(),
                           [](char c) { return c >= 'a' && c <= 'f' ? static_cast<char>(c - 'a' + 'A') : c; });
            if (!IsDecimalDigit(spelled[0])) {
                spelled.insert(0, "0");
            }
            return "hexadecimal needs an H, and a leading 0 before a letter: write " + spelled + "H";
        }
    }
    return {};
}
