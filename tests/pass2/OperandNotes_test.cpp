#include "OperandNotes.h"

#include <gtest/gtest.h>

namespace {

// The fields of a record of the given listing line after the cut, joined by
// "|", and the warning.
std::string Cut(const std::string& line, std::string& warning)
{
    ListingRecord record;
    EXPECT_EQ(ParseListingLine(line, record), "") << line;
    warning = CutGluedComment(record);
    std::string fields;
    for (std::string_view field : record.Fields) {
        fields += (fields.empty() ? "" : "|") + std::string(field);
    }
    return fields;
}

TEST(CutGluedComment, EndsTheOperandsAtASemicolonInsideAField)
{
    struct {
        const char* Line;
        const char* Fields;
        const char* Warning;
    } const rows[] = {
        {"8192       INX       B;POINT       TO       NEXT", "INX|B",
         "';' in B;POINT starts a comment, so the operands end at B; put a blank before ';'"},
        {"8192       CMP       C;       IF       EQUAL", "CMP|C",
         "';' in C; starts a comment, so the operands end at C; put a blank before ';'"},
        {"8192       MVI       A       5;X", "MVI|A|5",
         "';' in 5;X starts a comment, so the operands end at 5; put a blank before ';'"},
        {"8192       MVI       A       ';'", "MVI|A|';'", ""},
        {"8192       MVI       A       X+';'", "MVI|A|X+';'", ""},
        {"8192       MVI       A       ';", "MVI|A|';", ""},
        {"8192       DB       59", "DB|59", ""},
        {"8192       MOV       A       B", "MOV|A|B", ""},
    };
    for (const auto& row : rows) {
        std::string warning;
        EXPECT_EQ(Cut(row.Line, warning), row.Fields) << row.Line;
        EXPECT_EQ(warning, row.Warning) << row.Line;
    }
}

TEST(CheckDecimalAddress, WarnsOfFourDecimalDigitsWhereAnAddressGoes)
{
    struct {
        const char* Line;
        const char* Warning;
    } const rows[] = {
        {"8192       LDA       5000", "5000 is decimal (1388H); write 5000H for hexadecimal"},
        {"8192       STA       6000", "6000 is decimal (1770H); write 6000H for hexadecimal"},
        {"8192       LXI       H       2050", "2050 is decimal (0802H); write 2050H for hexadecimal"},
        {"8192       JNZ       2010", "2010 is decimal (07DAH); write 2010H for hexadecimal"},
        {"8192       CALL       0010", "0010 is decimal (000AH); write 0010H for hexadecimal"},
        {"8192       SHLD       9999", "9999 is decimal (270FH); write 9999H for hexadecimal"},
        {"8192       LDA       0009", ""},
        {"8192       LDA       5000H", ""},
        {"8192       LDA       500", ""},
        {"8192       LDA       05000", ""},
        {"8192       LDA       5000+1", ""},
        {"8192       MVI       A       2050", ""},
        {"8192       OUT       1000", ""},
        {"8192       DW       5000", ""},
    };
    for (const auto& row : rows) {
        ListingRecord record;
        ASSERT_EQ(ParseListingLine(row.Line, record), "") << row.Line;
        EXPECT_EQ(CheckDecimalAddress(record), row.Warning) << row.Line;
    }
}

TEST(AdviseOnHexadecimal, SpellsANumberThatLacksItsH)
{
    SymbolTable symbols;
    symbols["FACE"] = SymbolValue{10, 1, false};
    struct {
        const char* Line;
        const char* Note;
    } const rows[] = {
        {"8192       MVI       A       3A", "hexadecimal needs an H, and a leading 0 before a letter: write 3AH"},
        {"8192       LXI       D       12A3", "hexadecimal needs an H, and a leading 0 before a letter: write 12A3H"},
        {"8192       CPI       FF", "hexadecimal needs an H, and a leading 0 before a letter: write 0FFH"},
        {"8192       LXI       H       TABLE+1F", "hexadecimal needs an H, and a leading 0 before a letter: write 1FH"},
        {"8192       LXI       H       FACE", ""},
        {"8192       CALL       ADD1", ""},
        {"8192       MVI       A       B", ""},
        {"8192       MVI       A       LOOP", ""},
        {"8192       HLT       A", ""},
        {"8192       MVI       A       'C'", ""},
    };
    for (const auto& row : rows) {
        ListingRecord record;
        ASSERT_EQ(ParseListingLine(row.Line, record), "") << row.Line;
        EXPECT_EQ(AdviseOnHexadecimal(record, symbols), row.Note) << row.Line;
    }
}

} // namespace
