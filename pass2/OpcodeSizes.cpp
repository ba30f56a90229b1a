#include "OpcodeSizes.h"

// Longest mnemonic that pass 1 can match.
constexpr std::size_t _MaxMnemonicLength = 11;

// Largest count or size pass 1 reads: a signed 32-bit integer.
constexpr long long _MaxTableInteger = 2147483647;

namespace {

// Whitespace-separated items of a text, with the line each begins on.
struct ItemReader {
    std::string_view Text;
    std::size_t At = 0;
    long Line = 1;
};

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The next item, or an empty view at the end of the text.
std::string_view TakeItem(ItemReader& reader)
{
    while (reader.At < reader.Text.size() && IsSpace(reader.Text[reader.At])) {
        reader.Line += reader.Text[reader.At] == '\n';
        ++reader.At;
    }
    const std::size_t start = reader.At;
    while (reader.At < reader.Text.size() && !IsSpace(reader.Text[reader.At])) {
        ++reader.At;
    }
    return reader.Text.substr(start, reader.At - start);
}

// A decimal integer item with an optional sign, in the range of a signed
// 32-bit integer as pass 1 reads it (leading zeros do not count).
bool ReadInteger(std::string_view item, long& value)
{
    const bool negative = !item.empty() && item[0] == '-';
    if (!item.empty() && (item[0] == '+' || item[0] == '-')) {
        item.remove_prefix(1);
    }
    if (item.empty()) {
        return false;
    }
    long long magnitude = 0;
    for (char c : item) {
        if (c < '0' || c > '9') {
            return false;
        }
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > _MaxTableInteger + 1) {
            return false;
        }
    }
    if (magnitude > _MaxTableInteger + (negative ? 1 : 0)) {
        return false;
    }
    value = static_cast<long>(negative ? -magnitude : magnitude);
    return true;
}

} // namespace

OpcodeSizes ReadOpcodeSizes(std::string_view text, std::string_view fileName, Messages& messages)
{
    OpcodeSizes table;
    ItemReader reader{text};
    long count = 0;
    const std::string_view countItem = TakeItem(reader);
    if (!ReadInteger(countItem, count)) {
        ReportWarning(messages, fileName, reader.Line,
                      "the opcode table does not begin with a row count; instruction sizes are not checked");
        return table;
    }
    if (count <= 0) {
        ReportWarning(messages, fileName, reader.Line,
                      "the opcode table's row count " + ShowField(countItem) +
                          " gives no rows; instruction sizes are not checked");
        return table;
    }
    table.Usable = true;
    for (long row = 0; row < count; ++row) {
        const std::string_view mnemonic = TakeItem(reader);
        long size = 0;
        if (mnemonic.empty() || !ReadInteger(TakeItem(reader), size)) {
            ReportWarning(messages, fileName, reader.Line,
                          "the opcode table ends early: only " + std::to_string(row) + " of " + std::to_string(count) +
                              " rows could be read");
            break;
        }
        if (mnemonic.size() <= _MaxMnemonicLength) {
            table.Sizes.try_emplace(std::string(mnemonic), static_cast<int>(size));
        }
    }
    return table;
}
