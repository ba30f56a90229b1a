#include "SourceCopy.h"

#include "ForeignSyntax.h"

#include <cctype>

namespace {

// What pass 1's lexer takes a character for.
bool IsSeparator(char c)
{
    return c == ' ' || c == '\t' || c == ',';
}

bool StartsCommentOrString(char c)
{
    return std::string_view(";#$!~`%*\"'").find(c) != std::string_view::npos;
}

// Characters of a token pass 1 keeps whole; a longer one it cuts.
constexpr std::size_t _MaxTokenLength = 63;

// The next token from position at on, as pass 1's lexer would split it;
// empty when the line ends, or a comment or a quoted string comes first.
std::string_view NextToken(std::string_view line, std::size_t& at)
{
    while (at < line.size() && IsSeparator(line[at])) {
        ++at;
    }
    if (at == line.size() || StartsCommentOrString(line[at])) {
        return {};
    }
    const std::size_t start = at;
    while (at < line.size() && !IsSeparator(line[at])) {
        ++at;
    }
    return line.substr(start, at - start);
}

bool IsEquKeyword(std::string_view token)
{
    return token.size() == 3 && std::toupper(static_cast<unsigned char>(token[0])) == 'E' &&
           std::toupper(static_cast<unsigned char>(token[1])) == 'Q' &&
           std::toupper(static_cast<unsigned char>(token[2])) == 'U';
}

// The name of `NAME: EQU value`, without its colon, which stands right
// after it in the line; empty when the line is no such statement.
std::string_view FindEquLabel(std::string_view line)
{
    std::size_t at = 0;
    const std::string_view label = NextToken(line, at);
    if (label.size() < 2 || label.size() > _MaxTokenLength || label.back() != ':' ||
        !IsEquKeyword(NextToken(line, at))) {
        return {};
    }
    return label.substr(0, label.size() - 1);
}

// Each kind of construct read is said once, at its first line, with the
// number of other lines that hold it.
struct KindSaid {
    std::string Kind;
    Problem First;
    int LastLine = 0;
    int OtherLines = 0;
};

void Count(std::vector<KindSaid>& said, int line, const ForeignReading& reading)
{
    for (KindSaid& kind : said) {
        if (kind.Kind == reading.Kind) {
            kind.OtherLines += kind.LastLine != line ? 1 : 0;
            kind.LastLine = line;
            return;
        }
    }
    said.push_back({reading.Kind, {line, reading.Warning ? Severity::Warning : Severity::Note, reading.Text}, line, 0});
}

} // namespace

SourceCopy MakeSourceCopy(std::string_view source)
{
    SourceCopy copy;
    copy.Text.reserve(source.size());
    ForeignState state;
    state.Names = CollectNames(source);
    std::vector<KindSaid> said;
    int number = 1;
    std::size_t start = 0;
    while (start < source.size()) {
        std::size_t end = source.find('\n', start);
        const bool ended = end != std::string_view::npos;
        if (!ended) {
            end = source.size();
        }
        std::string line(source.substr(start, end - start));
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            copy.HadCrLf = true;
        }
        std::vector<ForeignReading> readings;
        line = ReadForeignLine(line, state, readings);
        for (const ForeignReading& reading : readings) {
            Count(said, number, reading);
        }
        const std::string_view name = FindEquLabel(line);
        if (!name.empty()) {
            const std::string shown(name);
            line[static_cast<std::size_t>(name.data() - line.data()) + name.size()] = ' ';
            copy.Notes.push_back(
                {number, Severity::Note, shown + ": EQU is read as " + shown + " EQU (the colon is dropped)"});
        }
        copy.Text += line;
        if (ended) {
            copy.Text += '\n';
        }
        start = end + 1;
        ++number;
    }
    for (KindSaid& kind : said) {
        if (kind.OtherLines > 0) {
            kind.First.Text += " (" + std::to_string(kind.OtherLines) +
                               (kind.OtherLines == 1 ? " other line too)" : " other lines too)");
        }
        copy.Notes.push_back(kind.First);
    }
    return copy;
}
