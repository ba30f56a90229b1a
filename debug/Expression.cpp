#include "Expression.h"

#include <cctype>
#include <cstdio>

namespace {

std::string Upper(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

std::string Lower(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

bool IsNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '?' || c == '@' || c == '.' || c == '$';
}

// A recursive-descent reader over the text.
struct Reader {
    const DebugSession& Session;
    std::string_view Text;
    std::size_t At = 0;
    std::string Error;
    std::string Notes; // "note: ..." lines for names that are both a label and the machine's

    void SkipSpace()
    {
        while (At < Text.size() && std::isspace(static_cast<unsigned char>(Text[At])))
            ++At;
    }
    bool Take(std::string_view token)
    {
        SkipSpace();
        if (Text.substr(At, token.size()) != token)
            return false;
        At += token.size();
        return true;
    }
    bool Fail(std::string what)
    {
        if (Error.empty())
            Error = std::move(what);
        return false;
    }
};

bool ReadExpression(Reader& reader, ExprValue& value);

bool ReadNumber(Reader& reader, std::string_view word, ExprValue& value)
{
    std::string text = Upper(word);
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && text[1] == 'X') {
        text = text.substr(2);
        base = 16;
    } else if (text.size() > 1 && text.back() == 'H') {
        text.pop_back();
        base = 16;
    }
    std::int64_t number = 0;
    for (char c : text) {
        const int digit =
            std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (c >= 'A' && c <= 'F' ? c - 'A' + 10 : 99);
        if (digit >= base)
            return reader.Fail("'" + std::string(word) + "' is not a number (decimal, or hexadecimal ending in H)");
        number = number * base + digit;
        if (number > 0xFFFF)
            return reader.Fail("'" + std::string(word) + "' is larger than FFFFH");
    }
    value.Value = number;
    value.Width = number > 0xFF ? 2 : 1;
    return true;
}

// The interrupt state that print and display read by name (RIM's fields,
// and IE): not registers, so set cannot change them.
struct StateName {
    const char* Name;
    bool Only8085;
    std::int64_t (*Read)(const CpuState& cpu);
};
constexpr StateName _StateNames[] = {
    {"IE", false, [](const CpuState& c) -> std::int64_t { return c.IE ? 1 : 0; }},
    {"M55", true, [](const CpuState& c) -> std::int64_t { return (c.Masks & _MaskRst55) ? 1 : 0; }},
    {"M65", true, [](const CpuState& c) -> std::int64_t { return (c.Masks & _MaskRst65) ? 1 : 0; }},
    {"M75", true, [](const CpuState& c) -> std::int64_t { return (c.Masks & _MaskRst75) ? 1 : 0; }},
    {"I55", true, [](const CpuState& c) -> std::int64_t { return c.Lines.Rst55 ? 1 : 0; }},
    {"I65", true, [](const CpuState& c) -> std::int64_t { return c.Lines.Rst65 ? 1 : 0; }},
    {"I75", true, [](const CpuState& c) -> std::int64_t { return c.Rst75Latch ? 1 : 0; }},
    {"SID", true, [](const CpuState& c) -> std::int64_t { return c.Lines.Sid ? 1 : 0; }},
    {"SOD", true, [](const CpuState& c) -> std::int64_t { return c.Sod ? 1 : 0; }},
};

// A register, flag, M or interrupt state of the model named name (upper
// case); false when there is none.
bool ReadMachineName(const CpuState& cpu, const std::string& name, ExprValue& value)
{
    if (name == "M") {
        value.Value = cpu.Memory[static_cast<std::uint16_t>((cpu.H << 8) | cpu.L)];
        value.Width = 1;
        return true;
    }
    const RegisterInfo* reg = FindRegisterInfo(name);
    if (reg && HasRegister(*reg, cpu.Model)) {
        value.Value = reg->Read(cpu);
        value.Width = ExprWidth(*reg);
        return true;
    }
    for (const StateName& row : _StateNames) {
        if (name == row.Name && !(row.Only8085 && cpu.Model == CpuModel::I8080)) {
            value.Value = row.Read(cpu);
            value.Width = 0;
            return true;
        }
    }
    return false;
}

// Names as gdb resolves them: $A, $PC, $K are always the machine's; a plain
// name is a label when the map has one, else the machine's, with a note
// when it is both.
bool ReadName(Reader& reader, std::string_view word, ExprValue& value)
{
    const CpuState& cpu = reader.Session.Now.Cpu;
    if (word[0] == '$') {
        if (ReadMachineName(cpu, Upper(word.substr(1)), value))
            return true;
        return reader.Fail("no register, flag or interrupt state named '" + std::string(word) + "'");
    }
    const std::string name = Upper(word);
    const MappedLabel* label = FindLabel(reader.Session, name);
    if (label) {
        ExprValue unused;
        if (ReadMachineName(cpu, name, unused) && reader.Notes.find("'" + name + "'") == std::string::npos)
            reader.Notes += "note: '" + std::string(word) + "' is the label at " + FormatHex(label->Address, 4) +
                            "; the machine's " + name + " is $" + Lower(name) + "\n";
        value.Value = label->Address;
        value.Width = 2;
        return true;
    }
    if (ReadMachineName(cpu, name, value))
        return true;
    return reader.Fail("no register, flag or label named '" + std::string(word) + "'");
}

bool ReadTerm(Reader& reader, ExprValue& value)
{
    reader.SkipSpace();
    if (reader.Take("[")) {
        ExprValue address;
        if (!ReadExpression(reader, address))
            return false;
        if (!reader.Take("]"))
            return reader.Fail("']' missing");
        value.Value = reader.Session.Now.Cpu.Memory[static_cast<std::uint16_t>(address.Value)];
        value.Width = 1;
        return true;
    }
    if (reader.Take("(")) {
        if (!ReadExpression(reader, value))
            return false;
        if (!reader.Take(")"))
            return reader.Fail("')' missing");
        return true;
    }
    const std::size_t start = reader.At;
    while (reader.At < reader.Text.size() && IsNameChar(reader.Text[reader.At]))
        ++reader.At;
    const std::string_view word = reader.Text.substr(start, reader.At - start);
    if (word.empty())
        return reader.Fail(reader.At < reader.Text.size()
                               ? "unexpected '" + std::string(1, reader.Text[reader.At]) + "'"
                               : "a value is missing");
    if (std::isdigit(static_cast<unsigned char>(word[0])))
        return ReadNumber(reader, word, value);
    return ReadName(reader, word, value);
}

bool ReadSum(Reader& reader, ExprValue& value)
{
    const bool negate = reader.Take("-");
    if (!ReadTerm(reader, value))
        return false;
    if (negate) {
        value.Value = -value.Value;
        value.Width = 2;
    }
    for (;;) {
        int sign = 0;
        if (reader.Take("+"))
            sign = 1;
        else if (reader.Take("-"))
            sign = -1;
        else
            return true;
        ExprValue term;
        if (!ReadTerm(reader, term))
            return false;
        value.Value += sign * term.Value;
        value.Width = 2;
    }
}

bool ReadExpression(Reader& reader, ExprValue& value)
{
    if (!ReadSum(reader, value))
        return false;
    static constexpr const char* compares[] = {"==", "!=", "<=", ">=", "<", ">"};
    for (const char* compare : compares) {
        if (!reader.Take(compare))
            continue;
        ExprValue right;
        if (!ReadSum(reader, right))
            return false;
        const std::string op = compare;
        const std::int64_t l = value.Value, r = right.Value;
        const bool truth = op == "=="   ? l == r
                           : op == "!=" ? l != r
                           : op == "<=" ? l <= r
                           : op == ">=" ? l >= r
                           : op == "<"  ? l < r
                                        : l > r;
        value.Value = truth ? 1 : 0;
        value.Width = 0;
        return true;
    }
    return true;
}

bool IsAllDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

// The address of the first instruction on source line line or the next line that has one.
bool FindLineAddress(const DebugSession& session, int line, std::uint16_t& address)
{
    int best = 0;
    for (const MappedRecord& record : session.Map.Records) {
        if (record.IsData || record.Size == 0 || record.SourceLine < line)
            continue;
        if (best == 0 || record.SourceLine < best) {
            best = record.SourceLine;
            address = record.Address;
        }
    }
    return best != 0;
}

} // namespace

const MappedLabel* FindLabel(const DebugSession& session, std::string_view name)
{
    if (!session.HasMap)
        return nullptr;
    const std::string upperName = Upper(name);
    for (const MappedLabel& label : session.Map.Labels) {
        if (Upper(label.Name) == upperName)
            return &label;
    }
    return nullptr;
}

std::string Trim(std::string_view text)
{
    std::size_t start = 0, end = text.size();
    while (start < end && std::isspace(static_cast<unsigned char>(text[start])))
        ++start;
    while (end > start && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return std::string(text.substr(start, end - start));
}

std::string FormatHex(std::uint32_t value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    std::string result = text;
    if (std::isalpha(static_cast<unsigned char>(result[0])))
        result = "0" + result;
    return result + "H";
}

bool EvaluateExpression(const DebugSession& session, std::string_view text, ExprValue& value, std::string& error,
                        std::string* notes)
{
    Reader reader{session, text, 0, {}, {}};
    const bool read = ReadExpression(reader, value);
    if (notes)
        *notes += reader.Notes;
    if (!read) {
        error = reader.Error;
        return false;
    }
    reader.SkipSpace();
    if (reader.At != text.size()) {
        error = "unexpected '" + std::string(text.substr(reader.At)) + "' after the expression";
        return false;
    }
    return true;
}

const RegisterInfo* FindRegister(std::string_view text)
{
    return FindRegisterInfo(Upper(Trim(text)));
}

int ExprWidth(const RegisterInfo& row)
{
    return row.Bits == 1 ? 0 : row.Bits / 8;
}

bool ResolveLocation(const DebugSession& session, std::string_view text, std::uint16_t& address, std::string& error,
                     std::string* notes)
{
    const std::string location = Trim(text);
    std::string_view lineText = location;
    const std::size_t colon = location.rfind(':');
    if (colon != std::string::npos && IsAllDigits(location.substr(colon + 1))) {
        const std::string file = location.substr(0, colon);
        if (!session.HasMap || file != session.Map.SourceName) {
            error = "no source named '" + file + "'";
            return false;
        }
        lineText = std::string_view(location).substr(colon + 1);
    }
    if (IsAllDigits(lineText)) {
        if (lineText.size() > 9) {
            error = "no line " + std::string(lineText);
            return false;
        }
        if (!session.HasMap) {
            error = "no source map: give an address such as 2010H";
            return false;
        }
        const int line = std::stoi(std::string(lineText));
        if (!FindLineAddress(session, line, address)) {
            error = "no instruction on line " + std::to_string(line) + " or after it";
            return false;
        }
        return true;
    }
    ExprValue value;
    if (!EvaluateExpression(session, location, value, error, notes))
        return false;
    if (value.Value < 0 || value.Value > 0xFFFF) {
        error = "'" + location + "' is not an address 0-FFFFH";
        return false;
    }
    address = static_cast<std::uint16_t>(value.Value);
    return true;
}
