#include "Listing.h"

#include "Messages.h"

// Longest address the listing may give, in digits (pass 1 writes at most 5).
constexpr std::size_t _MaxDecimalDigits = 9;

// Addresses: pass 1's signed counter, or the same address as unsigned.
constexpr long _LowestAddress = -32768;
constexpr long _HighestAddress = 65535;

bool TakeLine(std::string_view text, std::size_t& at, std::string_view& line)
{
    if (at >= text.size()) {
        return false;
    }
    const std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) {
        line = text.substr(at);
        at = text.size();
    } else {
        line = text.substr(at, end - at);
        at = end + 1;
    }
    return true;
}

bool ReadDecimal(std::string_view text, long& value)
{
    std::size_t at = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) {
        at = 1;
    }
    if (at == text.size() || text.size() - at > _MaxDecimalDigits) {
        return false;
    }
    long number = 0;
    for (; at < text.size(); ++at) {
        if (text[at] < '0' || text[at] > '9') {
            return false;
        }
        number = number * 10 + (text[at] - '0');
    }
    value = negative ? -number : number;
    return true;
}

static bool IsQuote(char c)
{
    return c == '\'' || c == '"';
}

// Length of the run of blanks that starts at position at.
static std::size_t CountBlanks(std::string_view line, std::size_t at)
{
    std::size_t end = at;
    while (end < line.size() && line[end] == ' ') {
        ++end;
    }
    return end - at;
}

// End of a quoted field that begins at start: see ParseListingLine.
static std::size_t EndOfQuotedField(std::string_view line, std::size_t start)
{
    std::size_t at = start + 1;
    while (at < line.size()) {
        if (line[at] != ' ') {
            ++at;
            continue;
        }
        const std::size_t blanks = CountBlanks(line, at);
        if (at + blanks == line.size()) {
            return line.size();
        }
        if (blanks >= _FieldSeparator.size()) {
            return at + blanks - _FieldSeparator.size();
        }
        at += blanks;
    }
    return line.size();
}

std::string ParseListingLine(std::string_view line, ListingRecord& record)
{
    record.Fields.clear();
    if (line.empty()) {
        return "empty line where a record should be";
    }
    const std::size_t addressEnd = line.find(' ');
    const std::string_view address = line.substr(0, addressEnd);
    long value = 0;
    if (!ReadDecimal(address, value)) {
        return "record does not begin with a decimal address: " + ShowField(line);
    }
    if (value < _LowestAddress || value > _HighestAddress) {
        return "address " + ShowField(address) + " out of range -32768..65535";
    }
    record.Address = static_cast<int>(value & 0xFFFF);
    if (addressEnd == std::string_view::npos) {
        return "address " + ShowField(address) + " without fields";
    }

    std::size_t at = addressEnd;
    while (at < line.size()) {
        const std::size_t blanks = CountBlanks(line, at);
        if (at + blanks == line.size()) {
            const std::string_view last = record.Fields.empty() ? address : record.Fields.back();
            return "blanks at the end of the record after " + ShowField(last);
        }
        const std::size_t start = at + blanks;
        if (blanks != _FieldSeparator.size()) {
            return std::to_string(blanks) + (blanks == 1 ? " blank" : " blanks") + " before field " +
                   ShowField(line.substr(start, line.find(' ', start) - start)) + ", where records have seven";
        }
        std::size_t end = line.find(' ', start);
        if (IsQuote(line[start])) {
            end = EndOfQuotedField(line, start);
        } else if (end == std::string_view::npos) {
            end = line.size();
        }
        record.Fields.push_back(line.substr(start, end - start));
        at = end;
    }
    return {};
}
