#include "DefaultRegisters.h"

#include <cctype>
#include <charconv>
#include <cstdio>

std::optional<std::uint16_t> FirstListingAddress(std::string_view listing)
{
    const std::string_view field = listing.substr(0, listing.find_first_of(" \n"));
    long long address = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), address);
    if (field.empty() || error != std::errc() || end != field.data() + field.size()) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(address & 0xFFFF);
}

std::string MakeDefaultRegisterFile(std::uint16_t programCounter)
{
    // The file's words are signed 16-bit values: 0x8000 and up are written
    // as the negative numbers of the same bits.
    const int word = programCounter < 0x8000 ? programCounter : programCounter - 0x10000;
    return "0 0 0 0 0 0 0\n" + std::to_string(word) + " 0\n0 0 0 0 0\n0\n";
}

namespace {

// The words of a line before its comment, the label's colon left on.
std::vector<std::string> Words(std::string_view line)
{
    std::vector<std::string> words;
    std::string word;
    for (const char c : line.substr(0, line.find(';'))) {
        if (std::isspace(static_cast<unsigned char>(c)) || c == ',') {
            if (!word.empty())
                words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

bool IsEnd(const std::string& word)
{
    return word.size() == 3 && std::toupper(static_cast<unsigned char>(word[0])) == 'E' &&
           std::toupper(static_cast<unsigned char>(word[1])) == 'N' &&
           std::toupper(static_cast<unsigned char>(word[2])) == 'D';
}

// A name's value in the symbol file ("NAME \t size \t value" rows, the
// value signed), its first row.
std::optional<std::uint16_t> FindSymbol(std::string_view symbols, const std::string& name)
{
    std::size_t at = 0;
    while (at < symbols.size()) {
        const std::size_t end = std::min(symbols.find('\n', at), symbols.size());
        const std::vector<std::string> row = Words(symbols.substr(at, end - at));
        at = end + 1;
        long long value = 0;
        if (row.size() == 3 && row[0] == name &&
            std::from_chars(row[2].data(), row[2].data() + row[2].size(), value).ec == std::errc())
            return static_cast<std::uint16_t>(value & 0xFFFF);
    }
    return std::nullopt;
}

std::string Hex4(std::uint16_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04XH", value);
    return text;
}

} // namespace

EndStart FindEndStart(std::string_view source, std::string_view symbols)
{
    EndStart start;
    int number = 0;
    std::size_t at = 0;
    while (at < source.size()) {
        const std::size_t end = std::min(source.find('\n', at), source.size());
        const std::vector<std::string> words = Words(source.substr(at, end - at));
        at = end + 1;
        ++number;
        const std::size_t first = !words.empty() && words[0].back() == ':' ? 1 : 0;
        if (words.size() == first + 2 && IsEnd(words[first])) {
            start.Line = number;
            start.Label = words[first + 1];
        }
    }
    if (start.Line != 0)
        start.Address = FindSymbol(symbols, start.Label);
    return start;
}

void NoteEndStart(const EndStart& start, std::uint16_t firstAddress, std::vector<Problem>& problems)
{
    if (start.Line == 0)
        return;
    const Severity kind = start.Address ? Severity::Note : Severity::Warning;
    const std::string text = start.Address ? "the program starts at " + start.Label + ", " + Hex4(*start.Address) +
                                                 ", as END names it (pass 1 leaves this line out)"
                                           : "END names " + start.Label +
                                                 ", which the program does not define: it starts at " +
                                                 Hex4(firstAddress) + ", its first address";
    // It takes the place of the note that END is not needed.
    for (Problem& problem : problems) {
        if (problem.Line == start.Line && problem.Kind == Severity::Note) {
            problem = {start.Line, kind, text};
            return;
        }
    }
    problems.push_back({start.Line, kind, text});
}
