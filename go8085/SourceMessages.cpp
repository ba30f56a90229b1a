#include "SourceMessages.h"

#include "Advice.h"

#include <charconv>
#include <set>
#include <vector>

namespace {

// The severities of Pass2's messages; a note explains the message before it
// and is not followed by the quoted line again.
constexpr std::string_view _Kinds[] = {"error", "warning", "note"};

// One message of Pass2 about a listing line, split into its parts.
struct ListingMessage {
    int ListingLine = 0;
    std::string_view Kind;
    std::string_view Text;
};

bool ReadMessage(std::string_view line, std::string_view listingName, ListingMessage& message)
{
    if (line.substr(0, listingName.size()) != listingName || line.substr(listingName.size(), 1) != ":") {
        return false;
    }
    line.remove_prefix(listingName.size() + 1);
    const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), message.ListingLine);
    if (error != std::errc() || end == line.data()) {
        return false;
    }
    line.remove_prefix(static_cast<std::size_t>(end - line.data()));
    for (std::string_view kind : _Kinds) {
        if (line.substr(0, 2) == ": " && line.substr(2, kind.size()) == kind &&
            line.substr(2 + kind.size(), 2) == ": ") {
            message.Kind = kind;
            message.Text = line.substr(4 + kind.size());
            return true;
        }
    }
    return false;
}

// The lines of the listing, for the mnemonic (or DB, DW) of each.
std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

// The mnemonic (or DB, DW) of a listing line, or "" when there is none.
std::string_view MnemonicOfListingLine(const std::vector<std::string_view>& listing, int number)
{
    if (number < 1 || static_cast<std::size_t>(number) > listing.size()) {
        return {};
    }
    std::string_view line = listing[static_cast<std::size_t>(number) - 1];
    const std::size_t blank = line.find(' ');
    const std::size_t start = line.find_first_not_of(' ', blank);
    if (blank == std::string_view::npos || start == std::string_view::npos) {
        return {};
    }
    line.remove_prefix(start);
    return line.substr(0, line.find(' '));
}

// Pass2 quotes the record at the end of a message about it (" in MVI A
// 3AH", or ", in ..."); under the quoted source line it says nothing more.
std::string WithoutRecordQuote(std::string_view text, std::string_view mnemonic)
{
    if (!mnemonic.empty()) {
        const std::string quote = " in " + std::string(mnemonic);
        for (std::size_t at = text.rfind(quote); at != std::string_view::npos && at > 0;
             at = text.rfind(quote, at - 1)) {
            if (at + quote.size() == text.size() || text[at + quote.size()] == ' ') {
                text = text.substr(0, at);
                if (!text.empty() && text.back() == ',') {
                    text.remove_suffix(1);
                }
                break;
            }
        }
    }
    return std::string(text);
}

// Pass2 names an earlier record by its listing line ("placed already by
// line 3"); the user knows it by its source line.
std::string WithSourceLines(std::string text, const SourceMap& map)
{
    constexpr std::string_view by = " by line ";
    const std::size_t at = text.find(by);
    if (at == std::string::npos) {
        return text;
    }
    const std::size_t digits = at + by.size();
    int listingLine = 0;
    const auto [end, error] = std::from_chars(text.data() + digits, text.data() + text.size(), listingLine);
    const MappedRecord* record = error == std::errc() ? FindRecordOfListingLine(map, listingLine) : nullptr;
    if (record != nullptr) {
        text.replace(digits, static_cast<std::size_t>(end - (text.data() + digits)),
                     std::to_string(record->SourceLine));
    }
    return text;
}

} // namespace

std::string QuoteSourceLine(int line, std::string_view text)
{
    static const char _Hex[] = "0123456789ABCDEF";
    std::string number = std::to_string(line);
    std::string quoted(number.size() < 5 ? 5 - number.size() : 0, ' ');
    quoted += number + " | ";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r') {
            quoted += "\\r";
        } else if ((byte < 0x20 && c != '\t') || byte == 0x7F) {
            quoted += "\\x";
            quoted += _Hex[byte >> 4];
            quoted += _Hex[byte & 0xF];
        } else {
            quoted += c;
        }
    }
    return quoted;
}

std::string PlaceMessagesOnSource(std::string_view pass2Output, const SourceMap& map, std::string_view listingName,
                                  std::string_view listingText)
{
    const std::vector<std::string_view> listing = SplitLines(listingText);
    std::string placed;
    std::set<int> advised; // source lines that had their advice
    int pendingAdvice = 0; // the source line whose advice is due
    auto giveAdvice = [&](int nextLine) {
        if (pendingAdvice != 0 && pendingAdvice != nextLine && advised.insert(pendingAdvice).second) {
            for (const std::string& advice : FindAdvice(FindSourceText(map, pendingAdvice))) {
                placed += map.SourceName + ":" + std::to_string(pendingAdvice) + ": note: " + advice + "\n";
            }
        }
        if (pendingAdvice != nextLine) {
            pendingAdvice = 0;
        }
    };
    while (!pass2Output.empty()) {
        const std::size_t end = pass2Output.find('\n');
        const std::string_view line = pass2Output.substr(0, end);
        pass2Output.remove_prefix(end == std::string_view::npos ? pass2Output.size() : end + 1);

        ListingMessage message;
        const MappedRecord* record =
            ReadMessage(line, listingName, message) ? FindRecordOfListingLine(map, message.ListingLine) : nullptr;
        if (record == nullptr) {
            giveAdvice(0);
            placed += line;
            placed += '\n';
            continue;
        }
        giveAdvice(record->SourceLine);
        const std::string text = WithoutRecordQuote(message.Text, MnemonicOfListingLine(listing, message.ListingLine));
        placed += map.SourceName + ":" + std::to_string(record->SourceLine) + ": " + std::string(message.Kind) + ": " +
                  WithSourceLines(text, map) + "\n";
        const std::string_view source = FindSourceText(map, record->SourceLine);
        if (message.Kind != "note" && record->SourceLine <= static_cast<int>(map.SourceLines.size())) {
            placed += QuoteSourceLine(record->SourceLine, source) + "\n";
        }
        pendingAdvice = record->SourceLine;
    }
    giveAdvice(0);
    return placed;
}
