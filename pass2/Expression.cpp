#include "Expression.h"

#include "Messages.h"

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

// Where the reading of the fields stands.
struct ItemCursor {
    std::span<const std::string_view> Fields;
    std::size_t Field = 0; // the field being read
    std::size_t At = 0;    // the position in it
};

// Takes the next sign or term of the fields; false after the last. Inside
// an unquoted field a term runs up to the next sign, except that 'x' (quote,
// character, the same quote) is a term of its own, so that 'A'+1 and '+'
// read as constants. A quoted field is one constant.
bool TakeItem(ItemCursor& cursor, Item& item)
{
    while (cursor.Field < cursor.Fields.size()) {
        const std::string_view field = cursor.Fields[cursor.Field];
        if (cursor.At >= field.size()) {
            ++cursor.Field;
            cursor.At = 0;
            continue;
        }
        if (cursor.At == 0 && IsQuote(field[0])) {
            item = {ItemKind::QuotedConstant, field};
            ++cursor.Field;
            return true;
        }
        const std::size_t at = cursor.At;
        const char c = field[at];
        if (c == '+' || c == '-') {
            item = {c == '+' ? ItemKind::Plus : ItemKind::Minus, field.substr(at, 1)};
            cursor.At = at + 1;
            return true;
        }
        std::size_t end = at;
        if (IsQuote(c) && at + 2 < field.size() && field[at + 2] == c) {
            end = at + 3;
        } else {
            while (end < field.size() && field[end] != '+' && field[end] != '-') {
                ++end;
            }
        }
        item = {ItemKind::Term, field.substr(at, end - at)};
        cursor.At = end;
        return true;
    }
    return false;
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

std::string EvaluateExpression(std::span<const std::string_view> fields, const SymbolTable& symbols, long long& value)
{
    ItemCursor cursor{fields};
    long long sum = 0;
    int sign = 1;              // of the term to come
    bool expectTerm = true;    // a term must come next
    bool first = true;         // no item read yet
    std::string_view lastSign; // the sign that awaits its term
    for (Item item; TakeItem(cursor, item); first = false) {
        if (item.Kind == ItemKind::Plus || item.Kind == ItemKind::Minus) {
            if (expectTerm && !first) {
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
        return first ? std::string("missing value") : "expected a term after " + std::string(lastSign);
    }
    value = sum;
    return {};
}
