// Values in instruction operands: terms joined by + and -, with an optional
// leading sign. A term is a number (decimal, or hexadecimal with a trailing
// H), a symbol from the symbol file, or a character constant.
#pragma once

#include "SymbolFile.h"

#include <span>
#include <string>
#include <string_view>

// Evaluates the fields that follow an instruction's register operands as one
// expression. Each field is a token of the source: a quoted one (beginning
// with ' or ") is one character constant; an unquoted one may hold several
// terms and signs, and two fields in a row are joined as if by blanks.
// Returns "" and sets value, or what is wrong, quoting the term at fault.
std::string EvaluateExpression(std::span<const std::string_view> fields, const SymbolTable& symbols, long long& value);

enum class NumberForm { Number, NoNumber, TooLarge };

// Reads a number term: decimal digits, or hexadecimal digits (either case)
// followed by H or h, up to 0xFFFFFFFF.
NumberForm ReadNumber(std::string_view term, long long& value);
