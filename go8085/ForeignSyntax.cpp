#include "ForeignSyntax.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace {

// Pass 1's limits: 16 tokens a line, 510 characters a line.
constexpr std::size_t _MaxTokens = 16;
constexpr std::size_t _MaxLineLength = 510;

bool IsSeparator(char c)
{
    return c == ' ' || c == '\t' || c == ',';
}

bool IsQuote(char c)
{
    return c == '\'' || c == '"';
}

// What starts a comment where pass 1 would begin a token; '#' is left out,
// as another assembler's immediate operand is read below.
bool StartsComment(char c)
{
    return std::string_view(";$!~`%*").find(c) != std::string_view::npos;
}

// A character a string may hold: printable ASCII, or a tab.
bool IsPlainCharacter(char c)
{
    return c == '\t' || (c >= ' ' && c < 0x7F);
}

bool IsHexDigit(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

bool IsDigit(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

bool IsNameStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '?' || c == '@';
}

bool IsName(std::string_view text)
{
    return !text.empty() && IsNameStart(text[0]) && std::all_of(text.begin(), text.end(), [](char c) {
        return IsNameStart(c) || IsDigit(c);
    });
}

std::string Upper(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return upper;
}

// A word of the line as pass 1 splits it, with where it starts.
struct Word {
    std::size_t At = 0;
    std::string Text;
    bool Quoted = false;
    bool Closed = false; // a quoted word with its closing quote
    bool Glued = false;  // a quoted word with more right after its closing quote ('IT''S')
};

std::vector<Word> SplitWords(std::string_view code)
{
    std::vector<Word> words;
    std::size_t at = 0;
    while (at < code.size()) {
        const char c = code[at];
        if (IsSeparator(c)) {
            ++at;
            continue;
        }
        if (StartsComment(c) || (c == '#' && (at + 1 == code.size() || IsSeparator(code[at + 1])))) {
            break;
        }
        Word word;
        word.At = at;
        if (IsQuote(c)) {
            const std::size_t close = code.find(c, at + 1);
            word.Quoted = true;
            word.Closed = close != std::string_view::npos;
            const std::size_t end = word.Closed ? close + 1 : code.size();
            word.Glued = word.Closed && end < code.size() && !IsSeparator(code[end]);
            word.Text = code.substr(at, end - at);
            at = end;
        } else {
            std::size_t end = at;
            while (end < code.size() && !IsSeparator(code[end])) {
                ++end;
            }
            word.Text = code.substr(at, end - at);
            at = end;
        }
        words.push_back(std::move(word));
    }
    return words;
}

// Comments of another syntax: '//' becomes ';', and '/* ... */', which may
// run over lines, becomes blanks. Only where pass 1 would begin a token.
std::string ReadComments(std::string_view line, ForeignState& state, std::vector<ForeignReading>& readings)
{
    std::string code(line);
    std::size_t at = 0;
    if (state.InBlockComment) {
        const std::size_t end = code.find("*/");
        at = end == std::string::npos ? code.size() : end + 2;
        std::fill(code.begin(), code.begin() + static_cast<std::ptrdiff_t>(at), ' ');
        state.InBlockComment = end == std::string::npos;
    }
    bool tokenStart = true;
    while (at < code.size()) {
        const char c = code[at];
        if (IsSeparator(c)) {
            tokenStart = true;
            ++at;
            continue;
        }
        if (tokenStart && IsQuote(c)) {
            const std::size_t close = code.find(c, at + 1);
            at = close == std::string::npos ? code.size() : close + 1;
            tokenStart = false;
            continue;
        }
        if (tokenStart && StartsComment(c)) {
            break;
        }
        if (tokenStart && code.compare(at, 2, "//") == 0) {
            code[at] = ';';
            code[at + 1] = ' ';
            readings.push_back({"//", "'//' is read as ';': the rest of the line is a comment"});
            break;
        }
        if (tokenStart && code.compare(at, 2, "/*") == 0) {
            const std::size_t close = code.find("*/", at + 2);
            const std::size_t end = close == std::string::npos ? code.size() : close + 2;
            std::fill(code.begin() + static_cast<std::ptrdiff_t>(at), code.begin() + static_cast<std::ptrdiff_t>(end),
                      ' ');
            readings.push_back({"/*", "'/* ... */' is read as a comment"});
            state.InBlockComment = close == std::string::npos;
            at = end;
            continue;
        }
        tokenStart = false;
        ++at;
    }
    return code;
}

// One change to the line: Length characters at At become Text.
struct Edit {
    std::size_t At = 0;
    std::size_t Length = 0;
    std::string Text;
};

std::string ApplyEdits(std::string line, std::vector<Edit> edits)
{
    std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) {
        return a.At != b.At ? a.At > b.At : a.Length > b.Length;
    });
    for (const Edit& edit : edits) {
        line.replace(edit.At, edit.Length, edit.Text);
    }
    return line;
}

// Hexadecimal digits written without an H that cannot be a decimal number
// (3A, 0FF, 20FF) nor a name the source defines (C3 unless a label is called
// so). Left as they are, because their meaning is in doubt: one letter (a
// register), a word of three or more that begins with a letter (DEAD), the
// register pairs BC and DE, ones and zeros before a B (binary elsewhere),
// decimal digits before a D (decimal elsewhere), and more than 16 bits.
bool IsBareHexadecimal(std::string_view term, const std::set<std::string>& names)
{
    if (term.empty() || !std::all_of(term.begin(), term.end(), IsHexDigit) ||
        std::all_of(term.begin(), term.end(), IsDigit)) {
        return false;
    }
    const std::string upper = Upper(term);
    if (IsNameStart(term[0]) && (term.size() != 2 || names.count(upper) != 0 || upper == "BC" || upper == "DE")) {
        return false;
    }
    const std::string_view before = std::string_view(upper).substr(0, upper.size() - 1);
    if ((upper.back() == 'B' && before.find_first_not_of("01") == std::string_view::npos) ||
        (upper.back() == 'D' && std::all_of(before.begin(), before.end(), IsDigit))) {
        return false;
    }
    return upper.size() - std::min(upper.find_first_not_of('0'), upper.size()) <= 4;
}

// Hexadecimal digits as an operand Pass2 reads: a 0 before a letter, an H.
std::string SpellForPassTwo(std::string_view digits)
{
    std::string spelled = Upper(digits);
    return (IsDigit(spelled[0]) ? "" : "0") + spelled + "H";
}

// The same as a value pass 1 reads, which takes at most four digits before
// the H: leading zeros go first. Empty when it has more than four others.
std::string SpellForPassOne(std::string_view digits)
{
    std::string spelled = Upper(digits);
    while (spelled.size() > 4 && spelled[0] == '0') {
        spelled.erase(0, 1);
    }
    if (spelled.size() > 4) {
        return {};
    }
    return (IsDigit(spelled[0]) || spelled.size() == 4 ? "" : "0") + spelled + "H";
}

// The digits of 0xC0, or empty.
std::string_view CPrefixedDigits(std::string_view term)
{
    if (term.size() > 2 && term[0] == '0' && (term[1] == 'x' || term[1] == 'X') &&
        std::all_of(term.begin() + 2, term.end(), IsHexDigit)) {
        return term.substr(2);
    }
    return {};
}

std::string Plural(long long count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// #12, #0C0H, #0xC0, #COUNT: another assembler's immediate value. #$C0 is
// not among them ('$' is in doubt).
bool IsImmediate(std::string_view word)
{
    return word.size() > 1 && word[0] == '#' && word[1] != '$';
}

std::string ImmediateNote(std::string_view word, std::string_view read)
{
    return std::string(word) + " is read as " + std::string(read) + ": '#' marks an immediate value in another assembler";
}

// A value pass 1 converts itself (DB, DW, DS, EQU, ORG), as pass 1 is to
// read it; empty when it stays as written. use names the statement.
std::string ReadPassOneValue(std::string_view word, std::string_view use, const ForeignState& state,
                             std::vector<ForeignReading>& readings)
{
    std::string_view value = word;
    const bool immediate = IsImmediate(value);
    if (immediate) {
        value.remove_prefix(1);
    }
    std::string read;
    const auto constant = state.Constants.find(Upper(value));
    const std::string_view digits = CPrefixedDigits(value);
    if (IsName(value) && constant != state.Constants.end()) {
        read = constant->second;
        readings.push_back({"constant", std::string(value) + " in " + std::string(use) +
                                            " is the constant defined above it: read as " + read});
    } else if (!digits.empty() && !SpellForPassOne(digits).empty()) {
        read = SpellForPassOne(digits);
        readings.push_back({"0x", std::string(value) + " is read as " + read});
    } else if (IsBareHexadecimal(value, state.Names) && !SpellForPassOne(value).empty()) {
        read = SpellForPassOne(value);
        readings.push_back({"hexadecimal",
                            std::string(value) + " is read as hexadecimal, as it cannot be decimal: write " + read,
                            true});
    }
    if (immediate) {
        read = read.empty() ? std::string(value) : read;
        readings.push_back({"#", ImmediateNote(word, read)});
    }
    return read;
}

// An operand Pass2 reads (it resolves names itself): the '#' of an
// immediate value goes, and each term in 0x or bare hexadecimal gets its H.
std::string ReadOperand(std::string_view word, const ForeignState& state, std::vector<ForeignReading>& readings)
{
    std::string_view value = word;
    const bool immediate = IsImmediate(value);
    if (immediate) {
        value.remove_prefix(1);
    }
    bool changed = immediate;
    std::string read;
    std::size_t start = 0;
    if (value.find_first_of("'\"") != std::string_view::npos) {
        read = value;
        start = value.size() + 1;
    }
    while (start <= value.size()) {
        const std::size_t end = std::min(value.find_first_of("+-", start), value.size());
        const std::string_view term = value.substr(start, end - start);
        const std::string_view digits = CPrefixedDigits(term);
        if (!digits.empty()) {
            read += SpellForPassTwo(digits);
            readings.push_back({"0x", std::string(term) + " is read as " + SpellForPassTwo(digits)});
            changed = true;
        } else if (IsBareHexadecimal(term, state.Names)) {
            read += SpellForPassTwo(term);
            readings.push_back({"hexadecimal",
                                std::string(term) + " is read as hexadecimal, as it cannot be decimal: write " +
                                    SpellForPassTwo(term),
                                true});
            changed = true;
        } else {
            read += term;
        }
        if (end < value.size()) {
            read += value[end];
        }
        start = end + 1;
    }
    if (immediate) {
        readings.push_back({"#", ImmediateNote(word, read)});
    }
    return changed ? read : std::string();
}

// A literal pass 1 converts exactly: decimal, or up to four hexadecimal
// digits before an H. Its value, or nothing.
std::optional<long> PassOneNumber(std::string_view literal)
{
    std::string_view digits = literal;
    int base = 10;
    if (!digits.empty() && (digits.back() == 'H' || digits.back() == 'h')) {
        digits.remove_suffix(1);
        base = 16;
        if (digits.empty() || digits.size() > 4 || !std::all_of(digits.begin(), digits.end(), IsHexDigit)) {
            return std::nullopt;
        }
    } else if (digits.empty() || digits.size() > 5 || !std::all_of(digits.begin(), digits.end(), IsDigit)) {
        return std::nullopt;
    }
    return std::stol(std::string(digits), nullptr, base);
}

constexpr const char* _Reserves[] = {"DS", ".DS", "DEFS", ".BLKB", "RMB", "DS.B", ".BLOCK"};

// Directives of other assemblers that change nothing in one source of one
// area; .area is among them while every .area names the same area.
constexpr const char* _NoEffect[] = {".TITLE", ".SBTTL", ".MODULE", ".8085", ".8080", ".LIST", ".NLIST", ".PAGE"};

// Other assemblers' spellings of the four directives pass 1 knows. SET,
// DEFL and .SET are not among them: they define symbols that may change.
struct Spelling {
    const char* Other;
    const char* Own;
};

constexpr Spelling _Spellings[] = {
    {".ORG", "ORG"}, {".DB", "DB"},    {".BYTE", "DB"}, {"DEFB", "DB"},  {".DEFB", "DB"}, {"DFB", "DB"},
    {".TEXT", "DB"}, {".ASCII", "DB"}, {".DW", "DW"},   {".WORD", "DW"}, {"DEFW", "DW"},  {".DEFW", "DW"},
    {"DFW", "DW"},   {".EQU", "EQU"},
};

// The directive of words[index], when it is another assembler's spelling,
// becomes pass 1's.
void ReadSpelling(std::vector<Word>& words, std::size_t index, std::vector<Edit>& edits,
                  std::vector<ForeignReading>& readings)
{
    if (index >= words.size() || words[index].Quoted) {
        return;
    }
    const std::string upper = Upper(words[index].Text);
    for (const Spelling& spelling : _Spellings) {
        if (upper == spelling.Other) {
            edits.push_back({words[index].At, words[index].Text.size(), spelling.Own});
            readings.push_back({"spelling", words[index].Text + " is read as " + spelling.Own});
            words[index].Text = spelling.Own;
            return;
        }
    }
}

bool IsOneOf(const std::string& word, const auto& table)
{
    return std::find_if(std::begin(table), std::end(table), [&](const char* row) { return word == row; }) !=
           std::end(table);
}

// The statement of a line, read; false leaves it as it is.
struct Statement {
    const std::vector<Word>& Words;
    std::size_t At; // the word in statement position
    bool Labelled;
    ForeignState& State;
    std::vector<Edit>& Edits;
    std::vector<ForeignReading>& Readings;
};

void ReadValue(Statement& s, std::size_t index, std::string_view use)
{
    if (index < s.Words.size() && !s.Words[index].Quoted) {
        const std::string read = ReadPassOneValue(s.Words[index].Text, use, s.State, s.Readings);
        if (!read.empty()) {
            s.Edits.push_back({s.Words[index].At, s.Words[index].Text.size(), read});
        }
    }
}

// DS n, with n a number or a constant defined above: as many zeros in DB.
bool ReadReserve(Statement& s)
{
    const Word& keyword = s.Words[s.At];
    if (s.Words.size() != s.At + 2 || s.Words[s.At + 1].Quoted) {
        return false;
    }
    const Word& count = s.Words[s.At + 1];
    std::vector<ForeignReading> readings;
    std::string literal = ReadPassOneValue(count.Text, "DS", s.State, readings);
    if (literal.empty()) {
        literal = count.Text;
    }
    const std::optional<long> bytes = PassOneNumber(literal);
    const long most = static_cast<long>(_MaxTokens - s.At - 1);
    if (!bytes || *bytes > most) {
        return false;
    }
    const std::string shown = Upper(keyword.Text) + " " + count.Text;
    std::string zeros;
    for (long i = 0; i < *bytes; ++i) {
        zeros += i == 0 ? "0" : ", 0";
    }
    if (*bytes == 0) {
        s.Edits.push_back({keyword.At, count.At + count.Text.size() - keyword.At, ""});
        s.Readings.push_back({"DS", shown + " reserves no byte: nothing is placed"});
    } else {
        s.Edits.push_back({keyword.At, keyword.Text.size(), "DB"});
        s.Edits.push_back({count.At, count.Text.size(), zeros});
        s.Readings.push_back({"DS", shown + " reserves " + Plural(*bytes, "byte", "bytes") + ": placed as DB " + zeros});
    }
    s.Readings.insert(s.Readings.end(), readings.begin(), readings.end());
    return true;
}

// DB and DW: strings in DB become their characters' codes, and each value
// is read as pass 1 is to read it; the whole line stays as written when it
// would need more than pass 1's 16 tokens.
bool ReadData(Statement& s, bool bytes)
{
    std::size_t values = 0;
    std::vector<Edit> edits;
    std::vector<ForeignReading> readings;
    for (std::size_t i = s.At + 1; i < s.Words.size(); ++i) {
        const Word& word = s.Words[i];
        if (!word.Quoted) {
            const std::string read = ReadPassOneValue(word.Text, bytes ? "DB" : "DW", s.State, readings);
            if (!read.empty()) {
                edits.push_back({word.At, word.Text.size(), read});
            }
            ++values;
            continue;
        }
        // A string in DW (which byte first?), an empty one, one without its
        // closing quote, one with a doubled quote, a control character or a
        // byte beyond ASCII: the meaning is in doubt.
        const std::string_view inner = std::string_view(word.Text).substr(1, word.Text.size() - 2);
        if (!bytes || !word.Closed || word.Glued || inner.empty() ||
            std::any_of(inner.begin(), inner.end(), [](char c) { return !IsPlainCharacter(c); })) {
            return false;
        }
        std::string codes;
        for (char c : inner) {
            codes += (codes.empty() ? "" : ", ") + std::to_string(static_cast<unsigned char>(c));
        }
        values += inner.size();
        edits.push_back({word.At, word.Text.size(), codes});
        readings.push_back({"string", "the string " + word.Text + " in DB is read as its characters' codes: " + codes});
    }
    if (s.At + 1 + values > _MaxTokens) {
        return false;
    }
    s.Edits.insert(s.Edits.end(), edits.begin(), edits.end());
    s.Readings.insert(s.Readings.end(), readings.begin(), readings.end());
    return true;
}

// NAME EQU value (or NAME: EQU value): the value as pass 1 is to read it,
// and the constant kept for the lines below.
void ReadConstant(Statement& s, const std::string& name, std::size_t valueAt)
{
    ReadValue(s, valueAt, "EQU");
    std::string literal = valueAt < s.Words.size() ? s.Words[valueAt].Text : "";
    for (const Edit& edit : s.Edits) {
        if (valueAt < s.Words.size() && edit.At == s.Words[valueAt].At) {
            literal = edit.Text;
        }
    }
    if (PassOneNumber(literal)) {
        s.State.Constants[Upper(name)] = literal;
    } else {
        s.State.Constants.erase(Upper(name));
    }
}

void ReadStatement(Statement& s)
{
    const std::string keyword = Upper(s.Words[s.At].Text);
    if (!s.Labelled && s.Words.size() > 1 && Upper(s.Words[1].Text) == "EQU") {
        ReadConstant(s, s.Words[0].Text, 2);
        return;
    }
    if (s.Labelled && keyword == "EQU") {
        ReadConstant(s, s.Words[0].Text.substr(0, s.Words[0].Text.size() - 1), s.At + 1);
        return;
    }
    if (!s.Labelled && keyword == ".AREA" && s.Words.size() <= 3) {
        const std::string area = s.Words.size() > 1 ? Upper(s.Words[1].Text) : "";
        if (s.State.Area.empty()) {
            s.State.Area = area.empty() ? "?" : area;
        } else if (s.State.Area != (area.empty() ? "?" : area)) {
            return; // code in two areas, which another assembler's linker places
        }
        s.Edits.push_back({s.Words[0].At, 1, ";"});
        s.Readings.push_back({".AREA", s.Words[0].Text + " with one area changes nothing here: the line is read "
                                                         "as a comment"});
        return;
    }
    if (!s.Labelled && IsOneOf(keyword, _NoEffect)) {
        s.Edits.push_back({s.Words[0].At, 1, ";"});
        s.Readings.push_back({keyword, s.Words[0].Text + " changes nothing here: the line is read as a comment"});
        return;
    }
    if (IsOneOf(keyword, _Reserves)) {
        ReadReserve(s);
        return;
    }
    if (keyword == "DB" || keyword == "DW") {
        ReadData(s, keyword == "DB");
        return;
    }
    if (!s.Labelled && keyword == "ORG") {
        ReadValue(s, 1, "ORG");
        return;
    }
    for (std::size_t i = s.At + 1; i < s.Words.size(); ++i) {
        if (!s.Words[i].Quoted) {
            const std::string read = ReadOperand(s.Words[i].Text, s.State, s.Readings);
            if (!read.empty()) {
                s.Edits.push_back({s.Words[i].At, s.Words[i].Text.size(), read});
            }
        }
    }
}

} // namespace

std::set<std::string> CollectNames(std::string_view source)
{
    std::set<std::string> names;
    std::size_t start = 0;
    while (start < source.size()) {
        const std::size_t end = std::min(source.find('\n', start), source.size());
        const std::vector<Word> words = SplitWords(source.substr(start, end - start));
        if (!words.empty() && !words[0].Quoted) {
            const std::size_t colon = words[0].Text.find(':');
            if (colon != std::string::npos) {
                names.insert(Upper(words[0].Text.substr(0, colon)));
            } else if (words.size() > 1 && Upper(words[1].Text) == "EQU") {
                names.insert(Upper(words[0].Text));
            }
        }
        start = end + 1;
    }
    return names;
}

std::string ReadForeignLine(std::string_view line, ForeignState& state, std::vector<ForeignReading>& readings)
{
    const std::string code = ReadComments(line, state, readings);
    std::vector<Word> words = SplitWords(code);
    std::vector<Edit> edits;
    std::vector<ForeignReading> read;
    // LOOP:MOV A, M: a blank after the colon.
    if (!words.empty() && !words[0].Quoted) {
        const std::string first = words[0].Text;
        const std::size_t colon = first.find(':');
        if (colon != std::string::npos && colon + 1 < first.size() && IsName(first.substr(0, colon)) &&
            (IsNameStart(first[colon + 1]) || first[colon + 1] == '.')) {
            edits.push_back({words[0].At + colon + 1, 0, " "});
            read.push_back({"glued", first + " is read as " + first.substr(0, colon + 1) + " " + first.substr(colon + 1)});
            Word rest{words[0].At + colon + 1, first.substr(colon + 1)};
            words[0].Text = first.substr(0, colon + 1);
            words.insert(words.begin() + 1, rest);
        }
    }
    const bool labelled = !words.empty() && !words[0].Quoted && words[0].Text.back() == ':';
    const std::size_t at = labelled ? 1 : 0;
    ReadSpelling(words, !labelled && words.size() > 1 && Upper(words[1].Text) == ".EQU" ? 1 : at, edits, read);
    if (at < words.size() && !words[at].Quoted) {
        Statement statement{words, at, labelled, state, edits, read};
        ReadStatement(statement);
    }
    std::string copy = ApplyEdits(code, edits);
    if (copy.size() > _MaxLineLength && code.size() <= _MaxLineLength) {
        return code; // longer than pass 1 reads: left as written
    }
    readings.insert(readings.end(), read.begin(), read.end());
    return copy;
}
