#include "Expression.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(EvaluateExpression, TermsAndSigns)
{
    const SymbolTable symbols = {{"COUNT", {10, 1, false}}, {"?TOP", {-2, 2, false}}, {"2X", {5, 3, false}}};
    const struct {
        std::vector<std::string_view> Fields;
        long long Value; // when Problem is empty
        const char* Problem;
    } rows[] = {
        {{"0ffh"}, 255, ""},                // either case
        {{"0FFFFFFFFH"}, 0xFFFFFFFFLL, ""}, // the largest number
        {{"100000000H"}, 0, "number 100000000H too large"},
        {{"EACH"}, 0xEAC, ""}, // no such symbol: hexadecimal
        {{"ABC"}, 0, "undefined symbol ABC"},
        {{"H"}, 0, "undefined symbol H"},
        {{"?TOP+1"}, -1, ""},         // names need not begin with a letter
        {{"2X"}, 0, "bad number 2X"}, // nor can a name begin with a digit
        {{"-COUNT"}, -10, ""},
        {{"-", "COUNT", "+", "1"}, -9, ""},
        {{"COUNT-"}, 0, "expected a term after -"},
        {{"010"}, 10, ""}, // decimal despite the leading zero
    };
    for (const auto& row : rows) {
        long long value = 0;
        EXPECT_EQ(EvaluateExpression(row.Fields, symbols, value), row.Problem) << row.Fields[0];
        if (std::string_view(row.Problem).empty()) {
            EXPECT_EQ(value, row.Value) << row.Fields[0];
        }
    }
}

} // namespace
