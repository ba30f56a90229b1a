#include "Advice.h"

#include <gtest/gtest.h>

namespace {

TEST(FindAdvice, OneNotePerConstructOfAnotherAssembler)
{
    struct {
        const char* Line;
        const char* Note; // "" for none
    } const rows[] = {
        {"        MOV A, B", ""},
        {"LOOP:   MOV A, M ; a // inside a comment", ""},
        {"// set up the counter", "comments start with ';' in this assembler: write ';' in place of '//'"},
        {"        HLT /* stop */", "comments start with ';' in this assembler: write ';' in place of '/*'"},
        {"LOOP:MOV A, M", "put a blank after the colon: LOOP: MOV"},
        {"next:inx h", "put a blank after the colon: next: inx"},
        {"A::", ""},
        {"        MVI A, ':'", ""},
        {"BUF:    DS 4", ""},
        {"        ds 100", "ds 100 reserves more bytes than pass 1 places on one line (15 zeros of DB): split it over "
                           "several lines, or move the address on with ORG on a line of its own"},
        {"BUF:    DS LATER", "the count of DS must be a number, or an EQU constant defined above it, of at most 14: "
                             "the bytes are placed as zeros of DB on this one line"},
        {"        DEFS 4, 0FFH", "DEFS with a fill value is another assembler's: write DB and the values"},
        {"MSG:    DB 'A string of more than fourteen', 0", "pass 1 places at most 14 values on a line after a label "
                                                           "(15 without): split the string over several DB lines"},
        {"        DB 'A', 'B'", ""},
        {"        DB 'IT''S'", "a quote inside a string is in doubt: write it as its code, 39"},
        {"        DW 'AB'", "a string in DW is in doubt (which character goes first): write it with DB"},
        {"        DB ''", "an empty string places no byte: leave it out"},
        {"        .title \"adder\"",
         ".title is a directive of another assembler: this one knows ORG, EQU, DB and DW only, so leave it out"},
        {"        .area CODE (ABS)",
         ".area is a directive of another assembler: this one knows ORG, EQU, DB and DW only, so leave it out"},
        {"        .org 2000H", ".org is another assembler's spelling: write ORG"},
        {"COUNT   .equ 5", ".equ is another assembler's spelling: write EQU"},
        {"TABLE:  .byte 1, 2", ".byte is another assembler's spelling: write DB"},
        {"        DEFW 1234H", "DEFW is another assembler's spelling: write DW"},
        {"        MVI A, #0C0H", "'#' starts a comment in this assembler, so the value after it is lost: write 0C0H "
                                 "without '#'"},
        {"        MVI A, #$c0", "'#' starts a comment in this assembler, so the value after it is lost: write 0C0H "
                                "without '#'"},
        {"        MVI A, #FFH", "'#' starts a comment in this assembler, so the value after it is lost: write 0FFH "
                                "without '#'"},
        {"        LXI H, $2050",
         "'$' starts a comment in this assembler, so the value after it is lost: write 2050H for hexadecimal"},
        {"        JMP $", "'$' starts a comment in this assembler, so '$' for the address of this line is lost: put a "
                            "label on the line and name it"},
        {"        DB 101B, 10D", "101B is binary in other assemblers and no number here: write 5 in decimal, or 101BH "
                                 "for hexadecimal"},
        {"        DB 11111111111111111111111111111111111111111111111111111111111111111B", ""},
        {"        MVI A, 1B", "1B is binary in other assemblers and no number here: write 1 in decimal, or 1BH for "
                              "hexadecimal"},
        {"        if DEBUG", "if belongs to another assembler's conditions and macros: this one assembles every "
                             "line as written, so keep the lines you want and leave this one out"},
        {"        MVI A, 0xff", "hexadecimal is written with an H after the digits in this assembler: write 0FFH"},
    };
    for (const auto& row : rows) {
        const std::vector<std::string> notes = FindAdvice(row.Line);
        EXPECT_EQ(notes.empty() ? std::string() : notes[0], row.Note) << row.Line;
        EXPECT_LE(notes.size(), 1u) << row.Line;
    }
}

TEST(FindAdvice, GivesEveryNoteOfALineInTableOrder)
{
    const std::vector<std::string> notes = FindAdvice("LOOP:MVI A, 0x10 // count");
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0], "comments start with ';' in this assembler: write ';' in place of '//'");
    EXPECT_EQ(notes[1], "put a blank after the colon: LOOP: MVI");
    EXPECT_EQ(notes[2], "hexadecimal is written with an H after the digits in this assembler: write 10H");
}

TEST(SpellAsHexadecimal, AddsTheHAndALeadingZeroBeforeALetter)
{
    EXPECT_EQ(SpellAsHexadecimal("3A"), "3AH");
    EXPECT_EQ(SpellAsHexadecimal("12a3"), "12A3H");
    EXPECT_EQ(SpellAsHexadecimal("FF"), "0FFH");
    EXPECT_EQ(SpellAsHexadecimal("2050"), "");
    EXPECT_EQ(SpellAsHexadecimal("BEEF"), "");
    EXPECT_EQ(SpellAsHexadecimal("LOOP"), "");
    EXPECT_EQ(SpellAsHexadecimal("3AH"), "");
    EXPECT_EQ(SpellAsHexadecimal(""), "");
}

} // namespace
