#include "SourceMessages.h"

#include "Advice.h"

#include <cctype>
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

// The operand fields of a listing line (after its address and mnemonic).
std::vector<std::string_view> OperandsOfListingLine(const std::vector<std::string_view>& listing, int number)
{
    std::vector<std::string_view> fields;
    if (number < 1 || static_cast<std::size_t>(number) > listing.size()) {
        return fields;
    }
    std::string_view line = listing[static_cast<std::size_t>(number) - 1];
    for (int i = 0; !line.empty(); ++i) {
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string_view::npos) {
            break;
        }
        line.remove_prefix(start);
        const std::string_view field = line.substr(0, line.find(' '));
        line.remove_prefix(field.size());
        if (i >= 2) {
            fields.push_back(field);
        }
    }
    return fields;
}

bool IsWordCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

bool SameButCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// Pass 1 lists operands in upper case; a message quotes them as listed
// ("';' in H;NEXT"). Under the source line the user wrote (inx h;next) they
// are shown as written: the first whole word of the message that is an
// operand of two or more characters takes the spelling of the source line,
// and so does the part before a glued ';' where the message names it. Other
// one-letter registers stay as they are, like the lists of them ("INX takes
// B D H SP").
std::string WithSourceSpelling(std::string text, const std::vector<std::string_view>& operands, std::string_view source)
{
    for (const std::string_view operand : operands) {
        if (operand.size() < 2) {
            continue;
        }
        std::string_view written;
        for (std::size_t at = 0; at + operand.size() <= source.size(); ++at) {
            if (SameButCase(source.substr(at, operand.size()), operand)) {
                written = source.substr(at, operand.size());
                break;
            }
        }
        if (written.empty() || written == operand) {
            continue;
        }
        const std::size_t semicolon = operand.find(';');
        if (semicolon != std::string_view::npos) { // "the operands end at H"
            const std::string endsAt = "end at " + std::string(operand.substr(0, semicolon));
            const std::size_t at = text.find(endsAt);
            if (at != std::string::npos) {
                text.replace(at, endsAt.size(), "end at " + std::string(written.substr(0, semicolon)));
            }
        }
        for (std::size_t at = text.find(operand); at != std::string::npos; at = text.find(operand, at + 1)) {
            const std::size_t end = at + operand.size();
            if ((at == 0 || !IsWordCharacter(text[at - 1])) && (end == text.size() || !IsWordCharacter(text[end]))) {
                text.replace(at, operand.size(), written);
                break;
            }
        }
    }
    return text;
}

// Go8085 gives pass 1 a copy with LF line ends, so a carriage return that
// reaches Pass2 is a stray one, never part of a CR LF line end.
std::string WithoutCrLfCause(std::string text)
{
    constexpr std::string_view either = "(a CR LF line end, or a stray CR, in the source)";
    const std::size_t at = text.find(either);
    if (at != std::string::npos) {
        text.replace(at, either.size(), "(a stray CR in the source line)");
    }
    return text;
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
    std::string number = std::to_string(line);
    std::string quoted(number.size() < 5 ? 5 - number.size() : 0, ' ');
    quoted += number + " | ";
    AppendVisible(quoted, text);
    return quoted;
}

std::string PlaceMessagesOnSource(std::string_view pass2Output, const SourceMap& map, std::string_view listingName,
                                  std::string_view listingText, std::string_view copyText)
{
    const std::vector<std::string_view> listing = SplitLines(listingText);
    const std::vector<std::string_view> copy = SplitLines(copyText);
    auto adviceText = [&](int line) {
        return copyText.empty() ? FindSourceText(map, line)
               : line >= 1 && static_cast<std::size_t>(line) <= copy.size() ? copy[static_cast<std::size_t>(line) - 1]
                                                                            : std::string_view();
    };
    std::string placed;
    std::set<int> advised; // source lines that had their advice
    int pendingAdvice = 0; // the source line whose advice is due
    auto giveAdvice = [&](int nextLine) {
        if (pendingAdvice != 0 && pendingAdvice != nextLine && advised.insert(pendingAdvice).second) {
            for (const std::string& advice : FindAdvice(adviceText(pendingAdvice))) {
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
        const std::string_view source = FindSourceText(map, record->SourceLine);
        const std::string text = WithSourceSpelling(
            WithoutCrLfCause(WithoutRecordQuote(message.Text, MnemonicOfListingLine(listing, message.ListingLine))),
            OperandsOfListingLine(listing, message.ListingLine), source);
        placed += map.SourceName + ":" + std::to_string(record->SourceLine) + ": " + std::string(message.Kind) + ": " +
                  WithSourceLines(text, map) + "\n";
        if (message.Kind != "note" && record->SourceLine <= static_cast<int>(map.SourceLines.size())) {
            placed += QuoteSourceLine(record->SourceLine, source) + "\n";
        }
        pendingAdvice = record->SourceLine;
    }
    giveAdvice(0);
    return placed;
}
