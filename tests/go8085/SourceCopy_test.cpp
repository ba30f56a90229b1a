#include "SourceCopy.h"

#include <gtest/gtest.h>

namespace {

TEST(MakeSourceCopy, LineEndsAndTheColonBeforeEqu)
{
    const struct {
        const char* Source;
        const char* Copy;
        bool HadCrLf;
        int NoteLine; // 0: no note
    } rows[] = {
        {"\tMVI A, 5\r\n\tHLT\r\n", "\tMVI A, 5\n\tHLT\n", true, 0},
        {"\tNOP\n\tHLT\r", "\tNOP\n\tHLT", true, 0},
        {"\tDB 'a\rb'\n", "\tDB 'a\rb'\n", false, 0},
        {"\n\nCOUNT: EQU 5\n", "\n\nCOUNT  EQU 5\n", false, 3},
        {"count:\tequ\t5\r\n", "count \tequ\t5\n", true, 1},
        {" ,X: EqU 1", " ,X  EqU 1", false, 1},
        {"COUNT:EQU 5\n", "COUNT  EQU 5\n", false, 1},
        {"LOOP: MOV A, B\n", "LOOP: MOV A, B\n", false, 0},
        {"COUNT: EQUATE 5\n", "COUNT: EQUATE 5\n", false, 0},
        {"; COUNT: EQU 5\n", "; COUNT: EQU 5\n", false, 0},
        {"COUNT: ;EQU 5\n", "COUNT: ;EQU 5\n", false, 0},
        {"'A: EQU 5\n", "'A: EQU 5\n", false, 0},
        {": EQU 5\n", ": EQU 5\n", false, 0},
        {"MOV EQU: EQU 5\n", "MOV EQU: EQU 5\n", false, 0},
        {"", "", false, 0},
    };
    for (const auto& row : rows) {
        const SourceCopy copy = MakeSourceCopy(row.Source);
        EXPECT_EQ(copy.Text, row.Copy) << row.Source;
        EXPECT_EQ(copy.HadCrLf, row.HadCrLf) << row.Source;
        ASSERT_EQ(copy.Notes.empty(), row.NoteLine == 0) << row.Source;
        if (row.NoteLine != 0) {
            EXPECT_EQ(copy.Notes[0].Line, row.NoteLine) << row.Source;
            EXPECT_EQ(copy.Notes[0].Kind, Severity::Note) << row.Source;
        }
    }
}

TEST(MakeSourceCopy, TheNoteNamesTheConstantAsWritten)
{
    const SourceCopy copy = MakeSourceCopy("Count: equ 5\n");
    ASSERT_EQ(copy.Notes.size(), 1u);
    EXPECT_EQ(copy.Notes[0].Text, "Count: EQU is read as Count EQU (the colon is dropped)");
}

} // namespace
