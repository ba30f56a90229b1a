#include "SourceCopy.h"

#include <gtest/gtest.h>

namespace {

// What pass 1 reads of each construct of another study tool, and the note
// that says so; a construct whose meaning is in doubt stays as written.
TEST(MakeSourceCopy, ReadsTheConstructsOfOtherToolsAndSaysSoOncePerKind)
{
    const struct {
        const char* Source;
        const char* Copy;
        const char* Note; // the first note, "" for none
    } rows[] = {
        {"sum: ds 1\n", "sum: DB 0\n", "DS 1 reserves 1 byte: placed as DB 0"},
        {"N EQU 3\nBUF: DS N\n", "N EQU 3\nBUF: DB 0, 0, 0\n", "DS N reserves 3 bytes: placed as DB 0, 0, 0"},
        {"X: DS 0\n", "X: \n", "DS 0 reserves no byte: nothing is placed"},
        {"  DS 0x0F\n", "  DB 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0\n",
         "DS 0x0F reserves 15 bytes: placed as DB 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0"},
        {"X: DS 15\n", "X: DS 15\n", ""},
        {"X: DS N\nN EQU 3\n", "X: DS N\nN EQU 3\n", ""},
        {"  DEFS 2, 0FFH\n", "  DEFS 2, 0FFH\n", ""},
        {"MSG: DB 'Hi$', 0\n", "MSG: DB 72, 105, 36, 0\n",
         "the string 'Hi$' in DB is read as its characters' codes: 72, 105, 36"},
        {"  db \"a;b\"\n", "  db 97, 59, 98\n", "the string \"a;b\" in DB is read as its characters' codes: 97, 59, 98"},
        {"  DB 'IT''S'\n", "  DB 'IT''S'\n", ""},
        {"  DW 'AB'\n", "  DW 'AB'\n", ""},
        {"  DB ''\n", "  DB ''\n", ""},
        {"M: DB 'fifteen letters'\n", "M: DB 'fifteen letters'\n", ""},
        {"  MVI A, 'A'\n", "  MVI A, 'A'\n", ""},
        {"// a comment\n", ";  a comment\n", "'//' is read as ';': the rest of the line is a comment"},
        {"  DB '//'\n", "  DB 47, 47\n", "the string '//' in DB is read as its characters' codes: 47, 47"},
        {"  HLT /* stop */ ; end\n", "  HLT            ; end\n", "'/* ... */' is read as a comment"},
        {"/* one\ntwo */ HLT\n", "      \n       HLT\n", "'/* ... */' is read as a comment"},
        {"LOOP:MOV A, M\n", "LOOP: MOV A, M\n", "LOOP:MOV is read as LOOP: MOV"},
        {"L1:2\n", "L1:2\n", ""},
        {"  .title \"adder\"\n", "  ;title \"adder\"\n", ".title changes nothing here: the line is read as a comment"},
        {"  .area A\n  .area A\n", "  ;area A\n  ;area A\n",
         ".area with one area changes nothing here: the line is read as a comment (1 other line too)"},
        {"  .area A\n  .area B\n", "  ;area A\n  .area B\n",
         ".area with one area changes nothing here: the line is read as a comment"},
        {"  .globl X\n", "  .globl X\n", ""},
        {"  MVI A, 0xc0\n", "  MVI A, 0C0H\n", "0xc0 is read as 0C0H"},
        {"  DW 0xFFFF\n", "  DW FFFFH\n", "0xFFFF is read as FFFFH"},
        {"  MVI A, #12\n", "  MVI A, 12\n", "#12 is read as 12: '#' marks an immediate value in another assembler"},
        {"  MVI A, #$C0\n", "  MVI A, #$C0\n", ""},
        {"  LXI H, $2050\n", "  LXI H, $2050\n", ""},
        {"N EQU 8\n  DB N, 1\n", "N EQU 8\n  DB 8, 1\n", "N in DB is the constant defined above it: read as 8"},
        {"  DB N\nN EQU 8\n", "  DB N\nN EQU 8\n", ""},
        {"L: NOP\n  DW L\n", "L: NOP\n  DW L\n", ""},
        {"  MVI A, 3A\n", "  MVI A, 3AH\n", "3A is read as hexadecimal, as it cannot be decimal: write 3AH"},
        {"  LXI H, 20ff+1\n", "  LXI H, 20FFH+1\n", "20ff is read as hexadecimal, as it cannot be decimal: write 20FFH"},
        {"  MVI B, C3\n", "  MVI B, 0C3H\n", "C3 is read as hexadecimal, as it cannot be decimal: write 0C3H"},
        {"  DB 0FF\n", "  DB 0FFH\n", "0FF is read as hexadecimal, as it cannot be decimal: write 0FFH"},
        {"C3: NOP\n  JMP C3\n", "C3: NOP\n  JMP C3\n", ""},
        {"  STA 2050\n", "  STA 2050\n", ""},
        {"  LXI D, DEAD\n", "  LXI D, DEAD\n", ""},
        {"  LXI D, DE\n", "  LXI D, DE\n", ""},
        {"  DB 101B, 10D\n", "  DB 101B, 10D\n", ""},
        {"  MOV A, B\n", "  MOV A, B\n", ""},
        {"  .org 0x2000\n", "  ORG 2000H\n", ".org is read as ORG"},
        {"T: .byte 1, 0x2\n", "T: DB 1, 2H\n", ".byte is read as DB"},
        {"M: .ascii \"ok\"\n", "M: DB 111, 107\n", ".ascii is read as DB"},
        {"  DEFW 1234H\n", "  DW 1234H\n", "DEFW is read as DW"},
        {"N .equ 5\n  DB N\n", "N EQU 5\n  DB 5\n", ".equ is read as EQU"},
        {"N SET 5\n", "N SET 5\n", ""},
    };
    for (const auto& row : rows) {
        const SourceCopy copy = MakeSourceCopy(row.Source);
        EXPECT_EQ(copy.Text, row.Copy) << row.Source;
        EXPECT_EQ(copy.Notes.empty() ? std::string() : copy.Notes[0].Text, row.Note) << row.Source;
    }
}

// Pass 1 takes 16 tokens and 510 characters a line: a line that would need
// more stays as written, and pass 1's refusal follows.
TEST(MakeSourceCopy, KeepsToPassOnesLimitsOfALine)
{
    const std::string fifteen = "  DB 'abcdefghijklmno'\n";
    EXPECT_EQ(MakeSourceCopy(fifteen).Text,
              "  DB 97, 98, 99, 100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111\n");
    const std::string sixteen = "  DB 'abcdefghijklmnop'\n";
    EXPECT_EQ(MakeSourceCopy(sixteen).Text, sixteen);
    EXPECT_TRUE(MakeSourceCopy(sixteen).Notes.empty());
    const std::string labelled = "X: DB 'abcdefghijklmno'\n";
    EXPECT_EQ(MakeSourceCopy(labelled).Text, labelled);
    const std::string padded = "  DB 'abc'" + std::string(500, ' ') + "\n";
    EXPECT_EQ(MakeSourceCopy(padded).Text, padded);
    EXPECT_TRUE(MakeSourceCopy(padded).Notes.empty());
}

// A constant is the one defined last above the line; one defined with what
// pass 1 cannot convert is no longer substituted.
TEST(MakeSourceCopy, TakesTheConstantDefinedLastAboveTheLine)
{
    EXPECT_EQ(MakeSourceCopy("N EQU 1\n  DB N\nN EQU 0x10\n  DB N\nN EQU LOOP\n  DB N\n").Text,
              "N EQU 1\n  DB 1\nN EQU 10H\n  DB 10H\nN EQU LOOP\n  DB N\n");
}

TEST(MakeSourceCopy, OneNotePerKindAtItsFirstLineWithTheOtherLinesCounted)
{
    const SourceCopy copy = MakeSourceCopy("a: ds 1\nb: ds 2\n  MVI A, 3A\nc: ds 1 // two kinds\n  ADI 0F\n");
    ASSERT_EQ(copy.Notes.size(), 3u);
    EXPECT_EQ(copy.Notes[0].Line, 1);
    EXPECT_EQ(copy.Notes[0].Text, "DS 1 reserves 1 byte: placed as DB 0 (2 other lines too)");
    EXPECT_EQ(copy.Notes[1].Line, 3);
    EXPECT_EQ(copy.Notes[1].Kind, Severity::Warning);
    EXPECT_EQ(copy.Notes[1].Text, "3A is read as hexadecimal, as it cannot be decimal: write 3AH (1 other line too)");
    EXPECT_EQ(copy.Notes[2].Line, 4);
    EXPECT_EQ(copy.Notes[2].Kind, Severity::Note);
}

} // namespace
