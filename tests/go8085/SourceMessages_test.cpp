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

// Under Go8085 the advice comes from the copy pass 1 read: what the copy
// reads as another tool does gets none, what it leaves gets its advice.
TEST(PlaceMessagesOnSource, FindsTheAdviceOnTheCopyPassOneRead)
{
    SourceMap map = Program();
    map.Records[2].SourceLine = 5;
    map.SourceLines[2] = "START:  MVI A, $C0";
    const std::string_view copy = "; p.asm\n        ORG 2000H\nSTART:  MVI A, $C0\n\tDB 44\nLOOP: MOV A, M ;  copy\n";
    const std::string placed = PlaceMessagesOnSource("p.asm.pass1:3: error: two\np.asm.pass1:1: error: missing byte\n",
                                                     map, "p.asm.pass1", _Listing, copy);
    EXPECT_EQ(placed, "dir/p.asm:5: error: two\n"
                      "    5 | LOOP:MOV A, M // copy\n"
                      "dir/p.asm:3: error: missing byte\n"
                      "    3 | START:  MVI A, $C0\n"
                      "dir/p.asm:3: note: '$' starts a comment in this assembler, so the value after it is lost: write "
                      "0C0H for hexadecimal\n");
}

TEST(PlaceMessagesOnSource, QuotesOperandsAsWrittenAndACarriageReturnAsAStrayOne)
{
    SourceMap map;
    map.SourceName = "p.asm";
    map.SourceLines = {"next:\tinx h;next", "\tmvi b, 7\r ; x", "\tjnz loopx", "\tmov a, q"};
    map.Records = {
        {1, 1, 0x2000, 1, false}, {2, 2, 0x2001, 2, false}, {3, 3, 0x2003, 3, false}, {4, 4, 0x2006, 1, false}};
    const std::string_view listing = "8192       INX       H;NEXT\n"
                                     "8193       MVI       B       7\r\n"
                                     "8195       JNZ       LOOPX\n"
                                     "8198       MOV       A       Q\n";
    struct {
        const char* Pass2;
        const char* Placed;
    } const rows[] = {
        {"p.asm.pass1:1: warning: ';' in H;NEXT starts a comment, so the operands end at H; put a blank before ';' "
         "in INX H;NEXT\n",
         "p.asm:1: warning: ';' in h;next starts a comment, so the operands end at h; put a blank before ';'\n"
         "    1 | next:\tinx h;next\n"},
        {"p.asm.pass1:2: error: field 7\\r holds a carriage return (a CR LF line end, or a stray CR, in the source) in "
         "MVI B 7\\r\n",
         "p.asm:2: error: field 7\\r holds a carriage return (a stray CR in the source line)\n"
         "    2 | \tmvi b, 7\\r ; x\n"},
        {"p.asm.pass1:3: error: undefined symbol LOOPX in JNZ LOOPX\n", "p.asm:3: error: undefined symbol loopx\n"
                                                                        "    3 | \tjnz loopx\n"},
        // One-letter registers keep the case of the list they are checked against.
        {"p.asm.pass1:4: error: bad register Q: MOV takes B C D E H L M A in MOV A Q\n",
         "p.asm:4: error: bad register Q: MOV takes B C D E H L M A\n"
         "    4 | \tmov a, q\n"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(PlaceMessagesOnSource(row.Pass2, map, "p.asm.pass1", listing), row.Placed) << row.Pass2;
    }
}

TEST(QuoteSourceLine, ShowsControlCharactersButKeepsTabs)
{
    EXPECT_EQ(QuoteSourceLine(7, "\tMVI A, 5\r"), "    7 | \tMVI A, 5\\r");
    EXPECT_EQ(QuoteSourceLine(123456, "X\x01\x7F\xC3\xA9"), "123456 | X\\x01\\x7F\xC3\xA9");
    EXPECT_EQ(QuoteSourceLine(1, ""), "    1 | ");
}

} // namespace
