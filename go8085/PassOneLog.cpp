#include "PassOneLog.h"

#include "Advice.h"
#include "SourceMap.h"

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
    std::string Text;                          // the line as read
    std::vector<std::string> Tokens;           // as the lexer stored them
    std::string Label;                         // name of a label in front, if any
    ValueUse Use = ValueUse::None;             // the statement being converted
    std::string Value;                         // the token being converted
    bool Refused = false;                      // Str2SymbolData refused Value
    bool RefusalExplained = false;             // the refused EQU symbol was reported
    bool TokenWasCut = false;                  // the next token lost its end
    bool StringUnclosed = false;               // the next token is a string without its quote
    std::string UnclosedString;                // that token, once read
    std::size_t FirstProblem = 0;              // where the line's problems begin in the report
    std::size_t EndNoteAt = std::string::npos; // the note on an END statement
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

// The note for a value written in hexadecimal without its H.
std::string HexadecimalNote(const std::string& spelled)
{
    return "hexadecimal needs an H, and a leading 0 before a letter: write " + spelled;
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
        const std::string hexadecimal = SpellAsHexadecimal(token);
        if (!hexadecimal.empty()) {
            problems.push_back({line.Number, Severity::Note, HexadecimalNote(hexadecimal)});
        }
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

// END in statement position: a label may stand before it, and a start
// address after it.
bool IsEndStatement(const SourceLine& line)
{
    const std::size_t at = line.Label.empty() ? 0 : 1;
    return line.Tokens.size() > at && line.Tokens.size() <= at + 2 && line.Tokens[at] == "END";
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

void Add(const SourceLine& line, std::vector<Problem>& problems, Severity kind, std::string text)
{
    problems.push_back({line.Number, kind, std::move(text)});
}

// What the entries that need more than a fixed message do. Each gets the
// line so far, the rest of the entry after its recognised text, and the
// report.
void TakeToken(SourceLine& line, std::string_view token, std::vector<Problem>& problems)
{
    line.Tokens.emplace_back(token);
    if (line.TokenWasCut) {
        Add(line, problems, Severity::Warning,
            "token longer than 63 characters: pass 1 keeps its first 63, " + line.Tokens.back());
        line.TokenWasCut = false;
    }
    if (line.StringUnclosed) {
        Add(line, problems, Severity::Error,
            "string " + line.Tokens.back() + " has no closing quote: it runs to the end of the line");
        line.StringUnclosed = false;
        line.UnclosedString = line.Tokens.back();
    }
}

void NoteCutToken(SourceLine& line, std::string_view, std::vector<Problem>&)
{
    line.TokenWasCut = true;
}

void NoteUnclosedString(SourceLine& line, std::string_view, std::vector<Problem>&)
{
    line.StringUnclosed = true;
}

void TakeLabel(SourceLine& line, std::string_view name, std::vector<Problem>&)
{
    line.Label = name;
}

// A line pass 1 could not parse; END, which other assemblers want at the
// end of a source, is no error, as the source ends at its last line anyway.
void RefuseLine(SourceLine& line, std::string_view, std::vector<Problem>& problems)
{
    if (IsEndStatement(line)) {
        line.EndNoteAt = problems.size();
        Add(line, problems, Severity::Note,
            "END is not needed: the source ends at its last line, and pass 1 leaves this line out");
        return;
    }
    Add(line, problems, Severity::Error, "unable to parse this line: " + Shown(line.Text));
}

void RefuseRestAfterLabel(SourceLine& line, std::string_view rest, std::vector<Problem>& problems)
{
    if (IsEndStatement(line)) {
        RefuseLine(line, rest, problems);
        return;
    }
    Add(line, problems, Severity::Error, "unable to parse this line: " + Shown(line.Text));
    if (FindAdvice(line.Text).empty()) {
        Add(line, problems, Severity::Note, LabelNote(line)); // the advice says it better
    }
}

void StartBytes(SourceLine& line, std::string_view, std::vector<Problem>&)
{
    line.Use = ValueUse::DB;
}

void StartWords(SourceLine& line, std::string_view, std::vector<Problem>&)
{
    line.Use = ValueUse::DW;
}

void StartOrg(SourceLine& line, std::string_view, std::vector<Problem>&)
{
    line.Use = ValueUse::ORG;
    line.Value = TokenAt(line, 1);
}

void StartEqu(SourceLine& line, std::string_view, std::vector<Problem>&)
{
    line.Use = ValueUse::EQU;
    line.Value = TokenAt(line, 2);
}

void TakeValue(SourceLine& line, std::string_view token, std::vector<Problem>&)
{
    line.Value = token;
    line.Refused = false;
}

void NoteRefusal(SourceLine& line, std::string_view, std::vector<Problem>&)
{
    line.Refused = true;
}

void JudgeValue(SourceLine& line, std::string_view results, std::vector<Problem>& problems)
{
    const std::size_t at = results.find(" data = ");
    long long word = 0;
    if (at != std::string_view::npos) {
        const std::string_view digits = results.substr(at + 8);
        std::from_chars(digits.data(), digits.data() + digits.size(), word);
    }
    CheckValue(line, word, problems);
    line.Refused = false;
}

void ReportRefusedSymbol(SourceLine& line, std::string_view, std::vector<Problem>& problems)
{
    if (!line.RefusalExplained) {
        const std::string name = line.Use == ValueUse::EQU ? TokenAt(line, 0) : line.Label;
        Add(line, problems, Severity::Error, "pass 1 refused the symbol " + name + ": it is not defined");
    }
}

enum class Match { Whole, Start };

// One row per text of pass 1's run log that belongs to a source line: the
// text (the whole entry, or how it starts), the problem it reports ("" for
// none; {N} stands for the line's token N) and what else it changes.
struct LogText {
    std::string_view Text;
    Match How;
    Severity Kind;
    std::string_view Message;
    void (*Act)(SourceLine& line, std::string_view rest, std::vector<Problem>& problems);
};

constexpr Severity _Error = Severity::Error;
constexpr Severity _Warning = Severity::Warning;

const LogText _LogTexts[] = {
    // The lexer.
    {"Tokenizing ", Match::Start, _Error, "", nullptr},
    {"Found Token ", Match::Start, _Error, "", TakeToken},
    {"Token longer than 63 characters: only its first 63 are kept", Match::Whole, _Error, "", NoteCutToken},
    {"*****ERROR: String Token without Matching Closure", Match::Whole, _Error, "", NoteUnclosedString},
    {"More than 16 tokens: the rest of the line is ignored", Match::Whole, _Error,
     "more than 16 tokens: pass 1 ignores everything after the 16th, {15}", nullptr},
    {"Remaining Part is Comment", Match::Whole, _Error, "", nullptr},
    {"Tokenized to ", Match::Start, _Error, "", nullptr},
    // The source loop.
    {"Is a Comment. Continuing...", Match::Whole, _Error, "", nullptr},
    {"Line longer than 510 characters: the rest of it was cut off", Match::Whole, _Warning,
     "line longer than 510 characters: pass 1 ignores the rest of it", nullptr},
    // Statements.
    {"Label Found: ", Match::Start, _Error, "", TakeLabel},
    {"Parse Error: Unable to parse this line", Match::Whole, _Error, "", RefuseLine},
    {"Parse Error: Unable to parse the rest of this line after the label", Match::Whole, _Error, "",
     RefuseRestAfterLabel},
    {"Mnemonic Identified: ", Match::Start, _Error, "", nullptr},
    {"DB identified", Match::Whole, _Error, "", StartBytes},
    {"DW identified", Match::Whole, _Error, "", StartWords},
    {"DB parse Error: No Data Found", Match::Whole, _Error, "DB without data: nothing is placed", nullptr},
    {"DW parse Error: No Data Found", Match::Whole, _Error, "DW without data: nothing is placed", nullptr},
    {"Parsing Token ", Match::Start, _Error, "", TakeValue},
    {"Added 1 Byte Data ", Match::Start, _Error, "", nullptr},
    {"Added 2 Byte Data ", Match::Start, _Error, "", nullptr},
    {"ORG Found", Match::Whole, _Error, "", StartOrg},
    {"ORG Parse error: Missing Address", Match::Whole, _Error, "ORG without an address: the address stays as it was",
     nullptr},
    {"EQU Identified", Match::Whole, _Error, "", StartEqu},
    {"EQU Parse error: Missing Data", Match::Whole, _Error, "EQU without a value: {0} is not defined", nullptr},
    // Numbers.
    {"Str2SymbolData Error:", Match::Start, _Error, "", NoteRefusal},
    {"str2symboldata Results: ", Match::Start, _Error, "", JudgeValue},
    // Symbols.
    {"Added Symbol: ", Match::Start, _Error, "", nullptr},
    {"Symbol Count: ", Match::Start, _Error, "", nullptr},
    {"CRITICAL ERROR: Unable to add Symbol", Match::Start, _Error, "", ReportRefusedSymbol},
    {"FATAL ERROR: Unable to allocate memory for Symbol", Match::Start, _Error,
     "pass 1 ran out of memory: a symbol of this line is not defined", nullptr},
};

// A row's message with {N} replaced by the line's token N.
std::string FillMessage(std::string_view message, const SourceLine& line)
{
    std::string text;
    for (std::size_t at = 0; at < message.size();) {
        const std::size_t open = message.find('{', at);
        const std::size_t close = open == std::string_view::npos ? open : message.find('}', open);
        if (close == std::string_view::npos) {
            text += message.substr(at);
            break;
        }
        std::size_t index = 0;
        std::from_chars(message.data() + open + 1, message.data() + close, index);
        text += message.substr(at, open - at);
        text += TokenAt(line, index);
        at = close + 1;
    }
    return text;
}

// Handles one log entry that belongs to a source line: the first row whose
// text it is, or a warning that quotes it when no row knows it.
void ReadEntry(SourceLine& line, std::string_view entry, std::vector<Problem>& problems)
{
    for (const LogText& row : _LogTexts) {
        if (row.How == Match::Whole ? entry == row.Text : StartsWith(entry, row.Text)) {
            if (!row.Message.empty()) {
                Add(line, problems, row.Kind, FillMessage(row.Message, line));
            }
            if (row.Act != nullptr) {
                row.Act(line, entry.substr(row.Text.size()), problems);
            }
            return;
        }
    }
    if (!entry.empty()) {
        Add(line, problems, Severity::Warning, "pass 1 says: " + std::string(entry));
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

// What the report knows about END statements once the whole log is read.
struct LineEnds {
    std::vector<std::size_t> EndNotes; // in the report
    int LastStatement = 0;             // the last line with a token
};

// After the last entry of a line: the advice for a line with an error or
// warning, once per construct.
void FinishLine(const SourceLine& line, std::vector<Problem>& problems, LineEnds& ends)
{
    if (line.EndNoteAt != std::string::npos) {
        ends.EndNotes.push_back(line.EndNoteAt);
    }
    if (!line.Tokens.empty()) {
        ends.LastStatement = line.Number;
    }
    const auto first = problems.begin() + static_cast<std::ptrdiff_t>(line.FirstProblem);
    if (std::none_of(first, problems.end(), [](const Problem& p) { return p.Kind != Severity::Note; })) {
        return;
    }
    for (std::string& advice : FindAdvice(line.Text)) {
        problems.push_back({line.Number, Severity::Note, std::move(advice)});
    }
}

// An END that statements follow ends nothing: they are assembled all the
// same, where other assemblers would leave them out.
void JudgeEndStatements(const LineEnds& ends, std::vector<Problem>& problems)
{
    for (const std::size_t at : ends.EndNotes) {
        if (problems[at].Line < ends.LastStatement) {
            problems[at].Kind = Severity::Warning;
            problems[at].Text = "END does not end the source here: pass 1 leaves this line out and goes on, so "
                                "the statements after it are assembled too";
        }
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
    LineEnds ends;

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
                if (line) {
                    FinishLine(*line, problems, ends);
                }
                line.emplace();
                line->Number = ++lineCount;
                line->Text = entry.substr(_LineStart.size());
                if (!line->Text.empty() && line->Text.back() == '\r' && !toldAboutCarriageReturns) {
                    toldAboutCarriageReturns = true;
                    problems.push_back({line->Number, Severity::Warning,
                                        "the source has CR LF line ends: each line's last token keeps its CR "
                                        "and loses its meaning; save it with LF line ends"});
                }
                line->FirstProblem = problems.size();
            } else if (entry != _LineSeparator && line) {
                ReadEntry(*line, entry, problems);
            }
        }
    }
    if (line) {
        FinishLine(*line, problems, ends);
    }
    JudgeEndStatements(ends, problems);
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
    AppendVisible(text, problem.Text); // no control character goes out unseen
    return text;
}

int CountProblems(const std::vector<Problem>& problems, Severity kind)
{
    return static_cast<int>(
        std::count_if(problems.begin(), problems.end(), [kind](const Problem& p) { return p.Kind == kind; }));
}
