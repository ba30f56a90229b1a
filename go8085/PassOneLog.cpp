#include "PassOneLog.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <optional>

namespace {

// Lines of the run log that mark where things are.
constexpr std::string_view _PassStart = "Starting with Pass 1 on ";
constexpr std::string_view _LineStart = "Read one line from InFile : ";
constexpr std::string_view _LineSeparator = "-----------";
constexpr std::string_view _PassEnd = "End of Input File reached.";

// Log lines that trace normal work and never mean a problem.
constexpr std::string_view _TraceLines[] = {
    "Tokenizing ",
    "Found Token ",
    "Tokenized to ",
    "Remaining Part is Comment",
    "Is a Comment.",
    "Label Found: ",
    "Added Symbol: ",
    "Symbol Count: ",
    "Mnemonic Identified: ",
    "DB identified",
    "DW identified",
    "Parsing Token ",
    "str2symboldata Results: ",
    "Added 1 Byte Data ",
    "Added 2 Byte Data ",
    "ORG Found",
    "EQU Identified",
};

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// The statement whose value Str2SymbolData converts.
enum class ValueUse { None, DB, DW, ORG, EQU };

std::string_view NameOf(ValueUse use)
{
    switch (use) {
    case ValueUse::DB: return "DB value";
    case ValueUse::DW: return "DW value";
    case ValueUse::ORG: return "ORG address";
    case ValueUse::EQU: return "EQU value";
    case ValueUse::None: break;
    }
    return "value";
}

// What the log told about one source line so far.
struct SourceLine {
    int Number = 0;
    std::string Text;                // the line as read
    std::vector<std::string> Tokens; // as the lexer stored them
    std::string Label;               // name of a label in front, if any
    ValueUse Use = ValueUse::None;   // the statement being converted
    std::string Value;               // the token being converted
    bool Refused = false;            // Str2SymbolData refused Value
    bool RefusalExplained = false;   // the refused EQU symbol was reported
    bool TokenWasCut = false;        // the next token lost its end
    bool StringUnclosed = false;     // the next token is a string without its quote
    std::string UnclosedString;      // that token, once read
};

// The line as it is quoted in a message: no surrounding blanks, no CR.
std::string Shown(std::string_view text)
{
    auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

std::string TokenAt(const SourceLine& line, std::size_t index)
{
    return index < line.Tokens.size() ? line.Tokens[index] : std::string();
}

// The exact value of a token that is wholly a number as pass 1 reads numbers
// (decimal, or hexadecimal with an H suffix), or nothing when it is not one.
// Magnitudes beyond what any check needs are capped.
std::optional<long long> ExactValue(std::string_view token)
{
    bool hex = !token.empty() && (token.back() == 'H' || token.back() == 'h');
    std::string_view digits = hex ? token.substr(0, token.size() - 1) : token;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (hex && (StartsWith(digits, "0x") || StartsWith(digits, "0X"))) {
        digits.remove_prefix(2);
    }
    if (digits.empty()) {
        return std::nullopt;
    }
    long long value = 0;
    for (char c : digits) {
        const bool digit =
            hex ? std::isxdigit(static_cast<unsigned char>(c)) != 0 : std::isdigit(static_cast<unsigned char>(c)) != 0;
        if (!digit) {
            return std::nullopt;
        }
        const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::toupper(c) - 'A' + 10;
        value = std::min(value * (hex ? 16 : 10) + d, 1LL << 40);
    }
    return negative ? -value : value;
}

// What pass 1 made of a value, said the way its statement uses it.
std::string Outcome(const SourceLine& line, long long word)
{
    const long long listed = line.Use == ValueUse::DB ? (word & 0xFF) : word;
    switch (line.Use) {
    case ValueUse::DB:
    case ValueUse::DW: return "pass 1 lists " + std::to_string(listed);
    case ValueUse::ORG: return "pass 1 sets the address to " + std::to_string(word & 0xFFFF);
    case ValueUse::EQU: return "pass 1 defines " + TokenAt(line, 0) + " as " + std::to_string(word);
    case ValueUse::None: break;
    }
    return "pass 1 uses " + std::to_string(word);
}

// Judges one converted value: refused, no number, or out of range.
void CheckValue(SourceLine& line, long long word, std::vector<Problem>& problems)
{
    const std::string use(NameOf(line.Use));
    std::string token = line.Value;
    const bool endsInCarriageReturn = !token.empty() && token.back() == '\r';
    if (endsInCarriageReturn) {
        token.pop_back(); // a CR LF source: said once for the whole file
    }
    if (line.Refused) {
        std::string effect = Outcome(line, 0);
        if (line.Use == ValueUse::EQU) {
            effect = "pass 1 refuses it, so " + TokenAt(line, 0) + " is not defined";
            line.RefusalExplained = true;
        }
        problems.push_back({line.Number, Severity::Error,
                            use + " " + token +
                                " has more than four hexadecimal digits before its H (leading "
                                "zeros count): " +
                                effect});
        return;
    }
    const std::optional<long long> exact = ExactValue(token);
    if (!exact) {
        if (!token.empty() && (token[0] == '\'' || token[0] == '"') && token != line.UnclosedString) {
            token += token[0]; // the lexer keeps a string's opening quote only
        }
        const bool nameOrString = !token.empty() && (std::isalpha(static_cast<unsigned char>(token[0])) ||
                                                     token[0] == '\'' || token[0] == '"' || token[0] == '_');
        problems.push_back({line.Number, Severity::Error,
                            use + " " + token + " is no number: " + Outcome(line, word) +
                                (nameOrString ? " (names and strings are not resolved here)" : "")});
        return;
    }
    if (endsInCarriageReturn && (*exact & 0xFFFF) != (word & 0xFFFF)) {
        problems.push_back({line.Number, Severity::Error,
                            use + " " + token + " is read as " + std::to_string(word) +
                                " because of the CR that ends the line: " + Outcome(line, word)});
        return;
    }
    const bool byte = line.Use == ValueUse::DB;
    const long long low = byte ? -128 : -32768;
    const long long high = byte ? 255 : 65535;
    if (*exact < low || *exact > high) {
        problems.push_back(
            {line.Number, Severity::Warning,
             use + " " + token + " does not fit in " + (byte ? "a byte: " : "16 bits: ") + Outcome(line, word)});
    }
}

// The note that explains a label followed by something pass 1 cannot use.
std::string LabelNote(const SourceLine& line)
{
    const std::string next = TokenAt(line, 1);
    if (next == "EQU") {
        return "the label " + line.Label +
               " is defined with the address; to define a constant "
               "write " +
               line.Label + " EQU value, without the colon";
    }
    if (next == "ORG") {
        return "the label " + line.Label + " is defined; ORG must stand on a line of its own";
    }
    return "the label " + line.Label + " is defined; " + next +
           " is no instruction, DB or DW, so the rest of the line is ignored";
}

// Handles one log entry that belongs to a source line.
void ReadEntry(SourceLine& line, std::string_view entry, std::vector<Problem>& problems)
{
    auto add = [&](Severity kind, std::string text) { problems.push_back({line.Number, kind, std::move(text)}); };
    if (StartsWith(entry, "Found Token ")) {
        line.Tokens.emplace_back(entry.substr(12));
        if (line.TokenWasCut) {
            add(Severity::Warning, "token longer than 63 characters: pass 1 keeps its first 63, " + line.Tokens.back());
            line.TokenWasCut = false;
        }
        if (line.StringUnclosed) {
            add(Severity::Error,
                "string " + line.Tokens.back() + " has no closing quote: it runs to the end of the line");
            line.StringUnclosed = false;
            line.UnclosedString = line.Tokens.back();
        }
    } else if (entry == "Token longer than 63 characters: only its first 63 are kept") {
        line.TokenWasCut = true;
    } else if (entry == "*****ERROR: String Token without Matching Closure") {
        line.StringUnclosed = true;
    } else if (entry == "More than 16 tokens: the rest of the line is ignored") {
        add(Severity::Error, "more than 16 tokens: pass 1 ignores everything after the 16th, " + TokenAt(line, 15));
    } else if (entry == "Line longer than 510 characters: the rest of it was cut off") {
        add(Severity::Warning, "line longer than 510 characters: pass 1 ignores the rest of it");
    } else if (StartsWith(entry, "Label Found: ")) {
        line.Label = entry.substr(13);
    } else if (entry == "Parse Error: Unable to parse this line") {
        add(Severity::Error, "unable to parse this line: " + Shown(line.Text));
    } else if (entry == "Parse Error: Unable to parse the rest of this line after the label") {
        add(Severity::Error, "unable to parse this line: " + Shown(line.Text));
        add(Severity::Note, LabelNote(line));
    } else if (entry == "DB identified" || entry == "DW identified") {
        line.Use = entry[1] == 'B' ? ValueUse::DB : ValueUse::DW;
    } else if (entry == "DB parse Error: No Data Found" || entry == "DW parse Error: No Data Found") {
        add(Severity::Error, std::string(entry.substr(0, 2)) + " without data: nothing is placed");
    } else if (entry == "ORG Found") {
        line.Use = ValueUse::ORG;
        line.Value = TokenAt(line, 1);
    } else if (entry == "ORG Parse error: Missing Address") {
        add(Severity::Error, "ORG without an address: the address stays as it was");
    } else if (entry == "EQU Identified") {
        line.Use = ValueUse::EQU;
        line.Value = TokenAt(line, 2);
    } else if (entry == "EQU Parse error: Missing Data") {
        add(Severity::Error, "EQU without a value: " + TokenAt(line, 0) + " is not defined");
    } else if (StartsWith(entry, "Parsing Token ")) {
        line.Value = entry.substr(14);
        line.Refused = false;
    } else if (StartsWith(entry, "Str2SymbolData Error:")) {
        line.Refused = true;
    } else if (StartsWith(entry, "str2symboldata Results: ")) {
        const std::size_t at = entry.find(" data = ");
        long long word = 0;
        if (at != std::string_view::npos) {
            const std::string_view digits = entry.substr(at + 8);
            std::from_chars(digits.data(), digits.data() + digits.size(), word);
        }
        CheckValue(line, word, problems);
        line.Refused = false;
    } else if (StartsWith(entry, "CRITICAL ERROR: Unable to add Symbol")) {
        if (!line.RefusalExplained) {
            const std::string name = line.Use == ValueUse::EQU ? TokenAt(line, 0) : line.Label;
            add(Severity::Error, "pass 1 refused the symbol " + name + ": it is not defined");
        }
    } else if (StartsWith(entry, "FATAL ERROR: Unable to allocate memory for Symbol")) {
        add(Severity::Error, "pass 1 ran out of memory: a symbol of this line is not defined");
    } else if (!entry.empty() && std::none_of(std::begin(_TraceLines), std::end(_TraceLines),
                                              [&](std::string_view trace) { return StartsWith(entry, trace); })) {
        add(Severity::Warning, "pass 1 says: " + std::string(entry));
    }
}

// Judges the log lines before the pass: the opcode table's rows and any
// trouble reading them. A table without one usable row recognises nothing.
void ReadTableEntry(std::string_view entry, int& usableRows, std::vector<Problem>& problems)
{
    if (StartsWith(entry, "\t")) {
        const std::size_t dot = entry.find(".\t\t");
        if (dot != std::string_view::npos && dot + 3 < entry.size() && entry[dot + 3] != '\t') {
            ++usableRows;
        }
    } else if (!entry.empty() && entry != "Reading Opcodes Table" && !StartsWith(entry, "Opcode Count is ")) {
        problems.push_back({0, Severity::Warning, std::string(entry)});
    }
}

} // namespace

std::vector<Problem> ReadPassOneLog(std::string_view logText)
{
    enum class Phase { Table, Pass, After } phase = Phase::Table;
    std::vector<Problem> problems;
    std::optional<SourceLine> line;
    int lineCount = 0;
    int usableRows = 0;
    bool toldAboutCarriageReturns = false;

    while (!logText.empty()) {
        const std::size_t end = logText.find('\n');
        const std::string_view entry = logText.substr(0, end);
        logText.remove_prefix(end == std::string_view::npos ? logText.size() : end + 1);

        if (phase == Phase::Table) {
            if (StartsWith(entry, _PassStart)) {
                phase = Phase::Pass;
                if (usableRows == 0) {
                    problems.push_back({0, Severity::Warning,
                                        "the opcode table is missing or has no usable row: no "
                                        "instruction is recognised"});
                }
            } else {
                ReadTableEntry(entry, usableRows, problems);
            }
        } else if (phase == Phase::Pass) {
            if (entry == _PassEnd) {
                phase = Phase::After;
            } else if (StartsWith(entry, _LineStart)) {
                line.emplace();
                line->Number = ++lineCount;
                line->Text = entry.substr(_LineStart.size());
                if (!line->Text.empty() && line->Text.back() == '\r' && !toldAboutCarriageReturns) {
                    toldAboutCarriageReturns = true;
                    problems.push_back({line->Number, Severity::Warning,
                                        "the source has CR LF line ends: each line's last token keeps its CR "
                                        "and loses its meaning; save it with LF line ends"});
                }
            } else if (entry != _LineSeparator && line) {
                ReadEntry(*line, entry, problems);
            }
        }
    }
    return problems;
}

std::string FormatProblem(const Problem& problem, std::string_view sourceName, std::string_view tableName)
{
    std::string text(problem.Line > 0 ? sourceName : tableName);
    if (problem.Line > 0) {
        text += ":" + std::to_string(problem.Line);
    }
    switch (problem.Kind) {
    case Severity::Error: text += ": error: "; break;
    case Severity::Warning: text += ": warning: "; break;
    case Severity::Note: text += ": note: "; break;
    }
    return text + problem.Text;
}

int CountProblems(const std::vector<Problem>& problems, Severity kind)
{
    return static_cast<int>(
        std::count_if(problems.begin(), problems.end(), [kind](const Problem& p) { return p.Kind == kind; }));
}
