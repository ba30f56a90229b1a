#include "SourceMessages.h"

#include <gtest/gtest.h>

namespace {

// A map of a small program whose listing skips its first two source lines.
SourceMap Program()
{
    SourceMap map;
    map.SourceName = "dir/p.asm";
    map.SourceLines = {"; p.asm",    "        ORG 2000H",     "START:  MVI A, 3A",
                       "\tDB 300\r", "LOOP:MOV A, M // copy", "        JNZ LOOPX"};
    map.Records = {{1, 3, 0x2000, 2, false}, {2, 4, 0x2002, 1, true}, {3, 6, 0x2003, 3, false}};
    return map;
}

constexpr std::string_view _Listing = "8192       MVI       A       3A\n"
                                      "8194       DB       44\n"
                                      "8195       JNZ       LOOPX\n";

TEST(PlaceMessagesOnSource, PutsListingMessagesOnSourceLinesAndQuotesThem)
{
    struct {
        const char* Pass2;
        const char* Placed;
    } const rows[] = {
        {"p.asm.pass1:1: error: bad number 3A in MVI A 3A\n"
         "p.asm.pass1:1: note: hexadecimal needs an H, and a leading 0 before a letter: write 3AH\n",
         "dir/p.asm:3: error: bad number 3A\n"
         "    3 | START:  MVI A, 3A\n"
         "dir/p.asm:3: note: hexadecimal needs an H, and a leading 0 before a letter: write 3AH\n"},
        {"p.asm.pass1:2: warning: bytes 2001H-2002H were placed already by line 1; this record's bytes replace them\n",
         "dir/p.asm:4: warning: bytes 2001H-2002H were placed already by line 3; this record's bytes replace them\n"
         "    4 | \tDB 300\\r\n"},
        {"p.asm.pass1:3: warning: JNZ is not in etc/opcodes.txt, so its size is not checked, in JNZ LOOPX\n",
         "dir/p.asm:6: warning: JNZ is not in etc/opcodes.txt, so its size is not checked\n"
         "    6 |         JNZ LOOPX\n"},
        {"p.asm.pass1:3: error: undefined symbol LOOPX in JNZ LOOPX in JNZ LOOPX\n",
         "dir/p.asm:6: error: undefined symbol LOOPX in JNZ LOOPX\n"
         "    6 |         JNZ LOOPX\n"},
        {"p.asm.sym:2: error: bad line\netc/opcodes.txt: warning: cannot read\np.asm.pass1: error: cannot read\n",
         "p.asm.sym:2: error: bad line\netc/opcodes.txt: warning: cannot read\np.asm.pass1: error: cannot read\n"},
        {"p.asm.pass1:4: error: no such record in the map\n", "p.asm.pass1:4: error: no such record in the map\n"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(PlaceMessagesOnSource(row.Pass2, Program(), "p.asm.pass1", _Listing), row.Placed) << row.Pass2;
    }
}

TEST(PlaceMessagesOnSource, AddsTheAdviceOfALineOnceAfterItsMessages)
{
    SourceMap map = Program();
    map.Records[2].SourceLine = 5; // the glued label and the // comment
    const std::string placed = PlaceMessagesOnSource("p.asm.pass1:3: warning: one\np.asm.pass1:3: error: two\n"
                                                     "p.asm.pass1:1: error: three\np.asm.pass1:3: error: four\n",
                                                     map, "p.asm.pass1", _Listing);
    EXPECT_EQ(placed, "dir/p.asm:5: warning: one\n"
                      "    5 | LOOP:MOV A, M // copy\n"
                      "dir/p.asm:5: error: two\n"
                      "    5 | LOOP:MOV A, M // copy\n"
                      "dir/p.asm:5: note: comments start with ';' in this assembler: write ';' in place of '//'\n"
                      "dir/p.asm:5: note: put a blank after the colon: LOOP: MOV\n"
                      "dir/p.asm:3: error: three\n"
                      "    3 | START:  MVI A, 3A\n"
                      "dir/p.asm:5: error: four\n"
                      "    5 | LOOP:MOV A, M // copy\n");
}

TEST(QuoteSourceLine, ShowsControlCharactersButKeepsTabs)
{
    EXPECT_EQ(QuoteSourceLine(7, "\tMVI A, 5\r"), "    7 | \tMVI A, 5\\r");
    EXPECT_EQ(QuoteSourceLine(123456, "X\x01\x7F\xC3\xA9"), "123456 | X\\x01\\x7F\xC3\xA9");
    EXPECT_EQ(QuoteSourceLine(1, ""), "    1 | ");
}

} // namespace
