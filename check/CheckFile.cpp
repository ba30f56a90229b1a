#include "CheckFile.h"

#include "RunCase.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

namespace {

// The registers a case may set or expect, and their widths.
struct RegisterRow {
    const char* Name;
    bool Pair;
};

constexpr RegisterRow _Registers[] = {
    {"A", false}, {"B", false}, {"C", false}, {"D", false},  {"E", false},  {"H", false},
    {"L", false}, {"BC", true}, {"DE", true}, {"HL", true},  {"SP", true},  {"PC", true},
};

constexpr const char* _Flags[] = {"S", "Z", "AC", "P", "CY"};

constexpr const char* _Stops[] = {"end", "halt", "kit", "steps"};

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The words of a line: blanks, tabs, commas and '=' separate them; ':' ends
// a word and is a word of its own, so "2050H:" and "2050H :" read alike.
std::vector<std::string> SplitWords(std::string_view line)
{
    std::vector<std::string> words;
    std::string word;
    auto flush = [&] {
        if (!word.empty())
            words.push_back(word);
        word.clear();
    };
    for (char c : line) {
        if (c == ' ' || c == '\t' || c == ',' || c == '\r') {
            flush();
        } else if (c == '=' || c == ':') {
            flush();
            words.push_back(std::string(1, c));
        } else {
            word += c;
        }
    }
    flush();
    return words;
}

// A number as the assembler writes one: digits alone are decimal, a
// trailing H (or a leading 0x) makes them hexadecimal. Empty when the text
// is no number or exceeds max.
std::optional<std::uint64_t> ParseNumber(const std::string& text, std::uint64_t max)
{
    std::string digits = text;
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits = digits.substr(2);
        base = 16;
    } else if (digits.size() > 1 && (digits.back() == 'h' || digits.back() == 'H')) {
        digits.pop_back();
        base = 16;
    }
    if (digits.empty() || digits.size() > 20)
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : digits) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            return std::nullopt;
        if (static_cast<std::uint64_t>(digit) > max ||
            value > (max - static_cast<std::uint64_t>(digit)) / static_cast<std::uint64_t>(base))
            return std::nullopt;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    }
    return value;
}

// Reads the statements of one line into a case; returns what is wrong, or "".
struct Reader {
    std::vector<std::string> Words;
    std::size_t Next = 0;

    bool AtEnd() const { return Next >= Words.size(); }
    const std::string& Peek() const { return Words[Next]; }
};

std::string HexText(unsigned value, int digits)
{
    char text[8];
    std::snprintf(text, sizeof text, "%0*XH", digits, value);
    return text[0] >= 'A' ? "0" + std::string(text) : std::string(text);
}

std::string NumberError(const std::string& text, const char* what, std::uint64_t max)
{
    std::string hint;
    const bool hasLetter = std::any_of(text.begin(), text.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
    if (hasLetter && ParseNumber(text + "H", max))
        hint = " (hexadecimal needs its H: " + text + "H)";
    return text + " is no " + what + hint;
}

std::string ReadValue(Reader& in, const char* what, std::uint64_t max, std::uint64_t& value)
{
    if (in.AtEnd())
        return std::string(what) + " missing";
    const std::string& text = in.Words[in.Next++];
    const std::optional<std::uint64_t> number = ParseNumber(text, max);
    if (!number)
        return NumberError(text, what, max);
    value = *number;
    return {};
}

std::string ReadByteList(Reader& in, std::vector<std::uint8_t>& bytes, bool mayBeEmpty)
{
    while (!in.AtEnd()) {
        std::uint64_t value = 0;
        const std::string error = ReadValue(in, "byte (0 to 255, or 00H to 0FFH)", 0xFF, value);
        if (!error.empty())
            return error;
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    if (bytes.empty() && !mayBeEmpty)
        return "no bytes given";
    return {};
}

// ADDRESS ':' BYTE...
std::string ReadBytesAt(Reader& in, std::vector<BytesAt>& list)
{
    BytesAt item;
    std::uint64_t address = 0;
    std::string error = ReadValue(in, "address (0 to 0FFFFH)", 0xFFFF, address);
    if (!error.empty())
        return error;
    if (in.AtEnd() || in.Peek() != ":")
        return "a ':' must follow the address";
    ++in.Next;
    item.Address = static_cast<std::uint16_t>(address);
    error = ReadByteList(in, item.Bytes, false);
    if (!error.empty())
        return error;
    if (address + item.Bytes.size() > 0x10000)
        return "the bytes run past 0FFFFH";
    list.push_back(item);
    return {};
}

// PORT ':' BYTE...
std::string ReadPortBytes(Reader& in, std::vector<PortBytes>& list, bool mayBeEmpty)
{
    PortBytes item;
    std::uint64_t port = 0;
    std::string error = ReadValue(in, "port (0 to 0FFH)", 0xFF, port);
    if (!error.empty())
        return error;
    if (in.AtEnd() || in.Peek() != ":")
        return "a ':' must follow the port";
    ++in.Next;
    item.Port = static_cast<std::uint8_t>(port);
    error = ReadByteList(in, item.Bytes, mayBeEmpty);
    if (!error.empty())
        return error;
    for (const PortBytes& other : list)
        if (other.Port == item.Port)
            return "port " + HexText(item.Port, 2) + " is given twice";
    list.push_back(item);
    return {};
}

// NAME '=' VALUE ... for the registers, or the flags (0 or 1).
std::string ReadNamedValues(Reader& in, std::vector<NamedValue>& list, bool flags)
{
    if (in.AtEnd())
        return flags ? "no flag given (S Z AC P CY)" : "no register given (A B C D E H L BC DE HL SP PC)";
    while (!in.AtEnd()) {
        NamedValue item;
        item.Name = Upper(in.Words[in.Next++]);
        std::uint64_t max = 1;
        if (flags) {
            if (std::find_if(std::begin(_Flags), std::end(_Flags), [&](const char* f) { return item.Name == f; }) ==
                std::end(_Flags))
                return item.Name + " is no flag (S Z AC P CY)";
        } else {
            const auto row = std::find_if(std::begin(_Registers), std::end(_Registers),
                                          [&](const RegisterRow& r) { return item.Name == r.Name; });
            if (row == std::end(_Registers))
                return item.Name + " is no register (A B C D E H L BC DE HL SP PC)";
            max = row->Pair ? 0xFFFF : 0xFF;
        }
        if (in.AtEnd() || in.Peek() != "=")
            return "an '=' must follow " + item.Name;
        ++in.Next;
        std::uint64_t value = 0;
        const std::string error =
            ReadValue(in, flags ? "flag value (0 or 1)" : (max == 0xFF ? "byte (0 to 0FFH)" : "word (0 to 0FFFFH)"),
                      max, value);
        if (!error.empty())
            return error;
        item.Value = static_cast<std::uint16_t>(value);
        list.erase(std::remove_if(list.begin(), list.end(), [&](const NamedValue& v) { return v.Name == item.Name; }),
                   list.end());
        list.push_back(item);
    }
    return {};
}

std::string ExpectEnd(const Reader& in)
{
    return in.AtEnd() ? std::string() : "unexpected " + in.Peek() + " at the end of the line";
}

std::string ReadExpectation(Reader& in, CheckCase& test)
{
    if (in.AtEnd())
        return "expect what? memory, registers, flags, out, stop or tstates";
    const std::string what = Lower(in.Words[in.Next++]);
    if (what == "memory")
        return ReadBytesAt(in, test.ExpectMemory);
    if (what == "registers")
        return ReadNamedValues(in, test.ExpectRegisters, false);
    if (what == "flags")
        return ReadNamedValues(in, test.ExpectFlags, true);
    if (what == "out")
        return ReadPortBytes(in, test.ExpectOut, true);
    if (what == "stop") {
        if (in.AtEnd())
            return "stop how? end, halt, kit or steps";
        const std::string how = Lower(in.Words[in.Next++]);
        for (std::size_t i = 0; i < std::size(_Stops); ++i) {
            if (how == _Stops[i]) {
                test.Stop = static_cast<ExpectedStop>(i);
                return ExpectEnd(in);
            }
        }
        return how + " is no way to stop (end, halt, kit, steps)";
    }
    if (what == "tstates") {
        std::uint64_t value = 0;
        const std::string error = ReadValue(in, "count of T-states", UINT64_MAX, value);
        if (!error.empty())
            return error;
        test.ExpectStates = value;
        return ExpectEnd(in);
    }
    return "expect " + what + ": expected memory, registers, flags, out, stop or tstates";
}

// One statement that may stand in a case, or before the first case (then it
// holds for every case).
std::string ReadCaseStatement(const std::string& keyword, Reader& in, CheckCase& test, bool inCase)
{
    if (keyword == "points" || keyword == "hidden") {
        if (!inCase)
            return keyword + " belongs in a case";
        if (keyword == "hidden") {
            test.Hidden = true;
            return ExpectEnd(in);
        }
        std::uint64_t value = 0;
        const std::string error = ReadValue(in, "number of points (0 to 1000)", 1000, value);
        test.Points = static_cast<int>(value);
        return error.empty() ? ExpectEnd(in) : error;
    }
    if (keyword == "memory")
        return ReadBytesAt(in, test.Memory);
    if (keyword == "registers")
        return ReadNamedValues(in, test.Registers, false);
    if (keyword == "flags")
        return ReadNamedValues(in, test.Flags, true);
    if (keyword == "in")
        return ReadPortBytes(in, test.Inputs, false);
    if (keyword == "interrupt") {
        InterruptAt event;
        std::string error = ReadValue(in, "step (1 or more)", UINT64_MAX, event.Step);
        if (!error.empty())
            return error;
        if (event.Step == 0)
            return "steps count from 1";
        if (in.AtEnd())
            return "interrupt at step " + std::to_string(event.Step) + " from which source?";
        event.Source = Upper(in.Words[in.Next++]);
        if (!in.AtEnd() && in.Peek() == ":" && in.Next + 1 < in.Words.size()) { // INTR:n
            event.Source += ":" + in.Words[in.Next + 1];
            in.Next += 2;
        }
        if (!IsInterruptSourceName(event.Source))
            return event.Source + " is no interrupt source (TRAP, RST7.5, RST6.5, RST5.5, INTR:0 to INTR:7)";
        test.Interrupts.push_back(event);
        std::stable_sort(test.Interrupts.begin(), test.Interrupts.end(),
                         [](const InterruptAt& a, const InterruptAt& b) { return a.Step < b.Step; });
        return ExpectEnd(in);
    }
    if (keyword == "kit") {
        if (in.AtEnd())
            return "kit needs a profile's name";
        test.Kit = in.Words[in.Next++];
        return "kit " + test.Kit + ": kit profiles are not available yet";
    }
    if (keyword == "steps" || keyword == "tstates") {
        std::uint64_t value = 0;
        const std::string error = ReadValue(in, keyword == "steps" ? "step limit (1 or more)" : "T-state limit",
                                            UINT64_MAX, value);
        if (!error.empty())
            return error;
        if (keyword == "steps") {
            if (value == 0)
                return "a step limit of 0 would run nothing";
            test.MaxSteps = value;
        } else {
            test.MaxStates = value;
        }
        return ExpectEnd(in);
    }
    if (keyword == "expect")
        return ReadExpectation(in, test);
    return keyword + " is no statement of a check file";
}

// The rest of a line after its first word, trimmed: a case's name or a title.
std::string RestOfLine(std::string_view line, std::string_view keyword)
{
    std::size_t start = line.find_first_not_of(" \t");
    start += keyword.size();
    const std::size_t first = line.find_first_not_of(" \t", start);
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = line.find_last_not_of(" \t\r");
    return std::string(line.substr(first, last - first + 1));
}

} // namespace

const char* ExpectedStopName(ExpectedStop stop)
{
    return _Stops[static_cast<std::size_t>(stop)];
}

int TotalPoints(const CheckFile& check)
{
    int total = 0;
    for (const CheckCase& test : check.Cases)
        total += test.Points;
    return total;
}

CheckFile ReadCheckFile(std::string_view text, std::vector<CheckFileError>& errors)
{
    CheckFile check;
    CheckCase defaults;
    CheckCase* current = nullptr;
    int lineNumber = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        const std::size_t hash = line.find('#');
        if (hash != std::string_view::npos)
            line = line.substr(0, hash);
        Reader in{SplitWords(line)};
        if (in.AtEnd())
            continue;
        const std::string keyword = Lower(in.Words[in.Next++]);
        std::string error;
        if (keyword == "title") {
            if (current)
                error = "title belongs before the first case";
            else
                check.Title = RestOfLine(line, "title");
        } else if (keyword == "cpu") {
            if (current)
                error = "cpu belongs before the first case";
            else if (in.AtEnd() || (in.Peek() != "8080" && in.Peek() != "8085"))
                error = "cpu is 8080 or 8085";
            else
                check.Is8080 = in.Words[in.Next++] == "8080";
            if (error.empty())
                error = ExpectEnd(in);
        } else if (keyword == "case") {
            CheckCase test = defaults;
            test.Name = RestOfLine(line, "case");
            test.Line = lineNumber;
            if (test.Name.empty())
                test.Name = "case " + std::to_string(check.Cases.size() + 1);
            check.Cases.push_back(test);
            current = &check.Cases.back();
        } else {
            error = ReadCaseStatement(keyword, in, current ? *current : defaults, current != nullptr);
        }
        if (!error.empty())
            errors.push_back({lineNumber, error});
    }
    if (check.Cases.empty() && errors.empty())
        errors.push_back({lineNumber, "no case: a check file needs at least one \"case NAME\""});
    return check;
}
