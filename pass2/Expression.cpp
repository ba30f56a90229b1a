#include "Expression.h"

#include "Messages.h"

#include <vector>

// Largest number a term may write, and largest sum an expression may reach
// on its way; both lie far outside any operand's range.
constexpr long long _MaxNumber = 0xFFFFFFFFLL;
constexpr long long _MaxSum = 1LL << 48;

// Characters that other assemblers use as operators and this one does not.
constexpr std::string_view _OtherOperators = "*/%()<>&|^~!=";

namespace {

enum class ItemKind { Plus, Minus, Term, QuotedConstant };

struct Item {
    ItemKind Kind;
    std::string_view Text;
};

bool IsQuote(char c)
{
    return c == '\'' || c == '"';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

int HexDigitValue(char c)
{
    if (IsDigit(c)) {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Splits the fields into signs and terms. Inside an unquoted field a term
// runs up to the next sign, except that 'x' (quote, character, the same
// quote) is a term of its own, so that 'A'+1 and '+' read as constants.
std::vector<Item> SplitItems(std::span<const std::string_view> fields)
{
    std::vector<Item> items;
    for (std::string_view field : fields) {
        if (field.empty()) {
            continue;
        }
        if (IsQuote(field[0])) {
            items.push_back({ItemKind::QuotedConstant, field});
            continue;
        }
        std::size_t at = 0;
        while (at < field.size()) {
            const char c = field[at];
            if (c == '+' || c == '-') {
                items.push_back({c == '+' ? ItemKind::Plus : ItemKind::Minus, field.substr(at, 1)});
                ++at;
                continue;
            }
            std::size_t end = at;
            if (IsQuote(c) && at + 2 < field.size() && field[at + 2] == c) {
                end = at + 3;
            } else {
                while (end < field.size() && field[end] != '+' && field[end] != '-') {
                    ++end;
                }
            }
            items.push_back({ItemKind::Term, field.substr(at, end - at)});
            at = end;
        }
    }
    return items;
}

std::string EvaluateTerm(const Item& item, const SymbolTable& symbols, long long& value)
{
    const std::string_view text = item.Text;
    if (item.Kind == ItemKind::QuotedConstant) {
        if (text.size() == 1) {
            return "empty character constant " + ShowField(text);
        }
        if (text.size() > 2) {
            return "character constant " + ShowField(text) + " holds more than one character";
        }
        value = static_cast<unsigned char>(text[1]);
        return {};
    }
    if (IsQuote(text[0])) {
        if (text.size() == 3 && text[2] == text[0]) {
            value = static_cast<unsigned char>(text[1]);
            return {};
        }
        return "bad character constant " + ShowField(text);
    }
    // A name first, even where it reads as hexadecimal too (EACH, FADEH).
    if (!IsDigit(text[0])) {
        const auto symbol = symbols.find(text);
        if (symbol != symbols.end()) {
            value = symbol->second.Value;
            return {};
        }
    }
    switch (ReadNumber(text, value)) {
    case NumberForm::Number: return {};
    case NumberForm::TooLarge: return "number " + ShowField(text) + " too large";
    case NumberForm::NoNumber: break;
    }
    if (IsDigit(text[0])) {
        return "bad number " + ShowField(text);
    }
    if (text.find_first_of(_OtherOperators) != std::string_view::npos) {
        return "term " + ShowField(text) + " holds an operator other than + and -";
    }
    return "undefined symbol " + ShowField(text);
}

} // namespace

NumberForm ReadNumber(std::string_view term, long long& value)
{
    if (term.empty()) {
        return NumberForm::NoNumber;
    }
    const bool hexadecimal = term.back() == 'H' || term.back() == 'h';
    const std::string_view digits = hexadecimal ? term.substr(0, term.size() - 1) : term;
    if (digits.empty()) {
        return NumberForm::NoNumber;
    }
    long long number = 0;
    bool tooLarge = false;
    for (char c : digits) {
        const int digit = hexadecimal ? HexDigitValue(c) : (IsDigit(c) ? c - '0' : -1);
        if (digit < 0) {
            return NumberForm::NoNumber;
        }
        number = number * (hexadecimal ? 16 : 10) + digit;
        if (number > _MaxNumber) {
            tooLarge = true;
            number = _MaxNumber;
        }
    }
    if (tooLarge) {
        return NumberForm::TooLarge;
    }
    value = number;
    return NumberForm::Number;
}

std::string EvaluateExpression(std::span<const std::string_view> fields, const SymbolTable& symbols,
                               long long& value)
{
    const std::vector<Item> items = SplitItems(fields);
    long long sum = 0;
    int sign = 1;              // of the term to come
    bool expectTerm = true;    // a term must come next
    std::string_view lastSign; // the sign that awaits its term
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        if (item.Kind == ItemKind::Plus || item.Kind == ItemKind::Minus) {
            if (expectTerm && i > 0) {
                return "expected a term after " + std::string(lastSign) + ", found " + ShowField(item.Text);
            }
            sign = item.Kind == ItemKind::Plus ? 1 : -1;
            lastSign = item.Text;
            expectTerm = true;
            continue;
        }
        if (!expectTerm) {
            return "expected + or - before " + ShowField(item.Text);
        }
        long long term = 0;
        std::string problem = EvaluateTerm(item, symbols, term);
        if (!problem.empty()) {
            return problem;
        }
        sum += sign * term;
        if (sum > _MaxSum || sum < -_MaxSum) {
            return "value too large";
        }
        expectTerm = false;
    }
    if (expectTerm) {
        return items.empty() ? std::string("missing value")
                             : "expected a term after " + std::string(lastSign);
    }
    value = sum;
    return {};
}
