#include "SourceMap.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A countdown with a comment, a blank line, an EQU, a DB without values and
// data, as Corvane logs it (each line's trace abridged to the entries that
// tell what it wrote), lists it and writes its symbols.
constexpr std::string_view _Source = "; count down\n"         // 1
                                     "        ORG 2000H\n"    // 2
                                     "START:  MVI B, 5\n"     // 3
                                     "\n"                     // 4
                                     "LOOP:   DCR B\n"        // 5
                                     "        JNZ LOOP\n"     // 6
                                     "COUNT   EQU 10\n"       // 7
                                     "EMPTY:  DB\n"           // 8
                                     "        HLT\n"          // 9
                                     "TABLE:  DB 1, 2, 3\n"   // 10
                                     "        DW 1234H, 5\n"; // 11

constexpr std::string_view _Log = "\nReading Opcodes Table\nOpcode Count is 1\n"
                                  "\t0.\t\tMVI\t\t2\n\n"
                                  "Starting with Pass 1 on p.asm Output to p.asm.pass1\nI/O File Ready\n"
                                  "-----------\nRead one line from InFile : ; count down\n"
                                  "Is a Comment. Continuing...\n"
                                  "-----------\nRead one line from InFile :         ORG 2000H\n"
                                  "Tokenized to 2 Tokens\nORG Found\n"
                                  "str2symboldata Results: size = 2 data = 8192\n"
                                  "-----------\nRead one line from InFile : START:  MVI B, 5\n"
                                  "Found Token START:\nTokenized to 4 Tokens\nLabel Found: START\n"
                                  "Added Symbol: START to Symbol List\nSymbol Count: 1\n"
                                  "Mnemonic Identified: MVI\n"
                                  "-----------\nRead one line from InFile : \nIs a Comment. Continuing...\n"
                                  "-----------\nRead one line from InFile : LOOP:   DCR B\n"
                                  "Label Found: LOOP\nMnemonic Identified: DCR\n"
                                  "-----------\nRead one line from InFile :         JNZ LOOP\n"
                                  "Mnemonic Identified: JNZ\n"
                                  "-----------\nRead one line from InFile : COUNT   EQU 10\n"
                                  "EQU Identified\nstr2symboldata Results: size = 1 data = 10\n"
                                  "Added Symbol: COUNT to Symbol List\n"
                                  "-----------\nRead one line from InFile : EMPTY:  DB\n"
                                  "Label Found: EMPTY\nDB identified\nDB parse Error: No Data Found\n"
                                  "-----------\nRead one line from InFile :         HLT\n"
                                  "Mnemonic Identified: HLT\n"
                                  "-----------\nRead one line from InFile : TABLE:  DB 1, 2, 3\n"
                                  "Label Found: TABLE\nDB identified\nParsing Token 1\nAdded 1 Byte Data 1\n"
                                  "-----------\nRead one line from InFile :         DW 1234H, 5\n"
                                  "DW identified\nParsing Token 1234H\nAdded 2 Byte Data 4660\n"
                                  "-----------\nRead one line from InFile : \nIs a Comment. Continuing...\n"
                                  "End of Input File reached.\n\nPass 1 completed\n";

constexpr std::string_view _Listing = "8192       MVI       B       5\n"
                                      "8194       DCR       B\n"
                                      "8195       JNZ       LOOP\n"
                                      "8198       HLT\n"
                                      "8199       DB       1       2       3\n"
                                      "8202       DW       4660       5\n";

constexpr std::string_view _Symbols = "TABLE \t 2 \t 8199\n"
                                      "EMPTY \t 2 \t 8198\n"
                                      "COUNT \t 1 \t 10\n"
                                      "LOOP \t 2 \t 8194\n"
                                      "START \t 2 \t 8192\n";

SourceMap Countdown()
{
    return BuildSourceMap("p.asm", _Source, _Log, _Listing, _Symbols);
}

std::string Describe(const MappedRecord& r)
{
    return std::to_string(r.ListingLine) + " " + std::to_string(r.SourceLine) + " " + std::to_string(r.Address) + " " +
           std::to_string(r.Size) + (r.IsData ? " data" : " code");
}

TEST(BuildSourceMap, NumbersEveryRecordByItsSourceLineAndSizesIt)
{
    const SourceMap map = Countdown();
    EXPECT_EQ(map.SourceName, "p.asm");
    ASSERT_EQ(map.SourceLines.size(), 11u);
    EXPECT_EQ(map.SourceLines[2], "START:  MVI B, 5");
    std::vector<std::string> records;
    for (const MappedRecord& record : map.Records) {
        records.push_back(Describe(record));
    }
    // Addresses 0x2000 = 8192 on; MVI 2 bytes, DCR 1, JNZ 3, HLT 1, three
    // bytes of DB, two words of DW.
    const std::vector<std::string> expected = {"1 3 8192 2 code", "2 5 8194 1 code",  "3 6 8195 3 code",
                                               "4 9 8198 1 code", "5 10 8199 3 data", "6 11 8202 4 data"};
    EXPECT_EQ(records, expected);
}

TEST(BuildSourceMap, TakesLabelsButNotConstantsInTheOrderOfTheSource)
{
    const SourceMap map = Countdown();
    std::string labels;
    for (const MappedLabel& label : map.Labels) {
        labels += label.Name + "=" + std::to_string(label.Address) + " ";
    }
    EXPECT_EQ(labels, "START=8192 LOOP=8194 EMPTY=8198 TABLE=8199 ");
}

TEST(BuildSourceMap, StopsWhereTheListingAndTheLogPartWays)
{
    const std::string listing = "8192       MVI       B       5\n8194       INR       B\n8195       JNZ       LOOP\n";
    const SourceMap map = BuildSourceMap("p.asm", _Source, _Log, listing, _Symbols);
    ASSERT_EQ(map.Records.size(), 1u);
    EXPECT_EQ(map.Records[0].SourceLine, 3);
    EXPECT_TRUE(BuildSourceMap("p.asm", _Source, "", _Listing, _Symbols).Records.empty());
}

TEST(BuildSourceMap, ReadsNegativeAddressesUnknownMnemonicsAndCarriageReturnLineEnds)
{
    const std::string log = "Starting with Pass 1 on p.asm Output to p.asm.pass1\n"
                            "-----------\nRead one line from InFile : \tORG 8000H\r\nORG Found\n"
                            "-----------\nRead one line from InFile : \tXYZ 1\r\nMnemonic Identified: XYZ\n"
                            "-----------\nRead one line from InFile : \tLXI H, 5\r\nMnemonic Identified: LXI\n"
                            "End of Input File reached.\n";
    const std::string listing = "-32768       XYZ       1\r\n-32767       LXI       H       5\r\n";
    const SourceMap map = BuildSourceMap("p.asm", "\tORG 8000H\r\n\tXYZ 1\r\n\tLXI H, 5\r\n", log, listing, "");
    ASSERT_EQ(map.Records.size(), 2u);
    EXPECT_EQ(Describe(map.Records[0]), "1 2 32768 0 code");
    EXPECT_EQ(Describe(map.Records[1]), "2 3 32769 3 code");
    EXPECT_EQ(FindSourceText(map, 3), "\tLXI H, 5");
}

TEST(FindSourceText, GivesNothingOutsideTheSource)
{
    const SourceMap map = Countdown();
    EXPECT_EQ(FindSourceText(map, 1), "; count down");
    EXPECT_EQ(FindSourceText(map, 11), "        DW 1234H, 5");
    EXPECT_EQ(FindSourceText(map, 0), "");
    EXPECT_EQ(FindSourceText(map, 12), "");
}

TEST(FindRecordOfListingLine, FindsOnlyListedLines)
{
    const SourceMap map = Countdown();
    ASSERT_NE(FindRecordOfListingLine(map, 4), nullptr);
    EXPECT_EQ(FindRecordOfListingLine(map, 4)->SourceLine, 9);
    EXPECT_EQ(FindRecordOfListingLine(map, 0), nullptr);
    EXPECT_EQ(FindRecordOfListingLine(map, 7), nullptr);
}

TEST(FindRecordAtAddress, CoversEveryByteOfARecordAndPrefersTheLastOfOverlappingOnes)
{
    SourceMap map;
    map.Records = {{1, 10, 0x2000, 3, false}, {2, 11, 0x2002, 2, true}, {3, 12, 0xFFFF, 3, false}};
    struct {
        std::uint16_t Address;
        int SourceLine; // 0: none
    } const rows[] = {
        {0x1FFF, 0}, {0x2000, 10}, {0x2001, 10}, {0x2002, 11}, {0x2003, 11},
        {0x2004, 0}, {0xFFFF, 12}, {0x0000, 12}, {0x0001, 12}, {0x0002, 0},
    };
    for (const auto& row : rows) {
        const MappedRecord* found = FindRecordAtAddress(map, row.Address);
        EXPECT_EQ(found ? found->SourceLine : 0, row.SourceLine) << "address " << row.Address;
    }
}

// The one lookup every front end uses: FindRecordAtAddress's line, so that
// a record at FFFFH covers the bytes that wrap round to 0000H.
TEST(FindSourceLine, IsTheLineOfTheRecordAtTheAddress)
{
    SourceMap map;
    map.Records = {{1, 10, 0x2000, 3, false}, {3, 12, 0xFFFF, 3, false}};
    EXPECT_EQ(FindSourceLine(map, 0x2002), 10);
    EXPECT_EQ(FindSourceLine(map, 0x2003), 0);
    EXPECT_EQ(FindSourceLine(map, 0x0001), 12);
    EXPECT_EQ(FindSourceLine(SourceMap{}, 0x2000), 0);
}

TEST(DescribeAddress, NamesTheAddressThenItsLine)
{
    SourceMap map;
    map.SourceName = "prog.asm";
    map.Records = {{1, 10, 0x2000, 3, false}, {2, 11, 0xA000, 1, false}};
    map.Labels = {{"START", 0x2000}};
    struct {
        std::uint16_t Address;
        bool ByLabel;
        const char* Text;
    } const rows[] = {
        {0x2000, false, "2000H (prog.asm:10)"},  {0x2000, true, "START (prog.asm:10)"},
        {0x2001, true, "2001H (prog.asm:10)"},   {0xA000, false, "0A000H (prog.asm:11)"},
        {0x0005, true, "0005H"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(DescribeAddress(map, row.Address, row.ByLabel), row.Text) << row.Address;
}

TEST(FormatMapFile, WritesOneItemALine)
{
    SourceMap map;
    map.SourceName = "dir/p.asm";
    map.SourceLines = {"START: MVI A, 5", "\tDB 'x\\', 1\r\x01"};
    map.Records = {{1, 1, 0x2000, 2, false}, {2, 2, 0xFFFE, 2, true}};
    map.Labels = {{"START", 0x2000}};
    EXPECT_EQ(FormatMapFile(map), "source-map 1\n"
                                  "source dir/p.asm\n"
                                  "text START: MVI A, 5\n"
                                  "text \tDB 'x\\\\', 1\\r\\x01\n"
                                  "record 1 1 2000 2 code\n"
                                  "record 2 2 FFFE 2 data\n"
                                  "label 2000 START\n");
}

TEST(ReadMapFile, ReadsBackWhatWasWritten)
{
    SourceMap written = Countdown();
    written.SourceLines.push_back("odd \\ \r \x7F bytes \xC3\xA9");
    SourceMap read;
    std::string error;
    ASSERT_TRUE(ReadMapFile(FormatMapFile(written), read, error)) << error;
    EXPECT_EQ(read.SourceName, written.SourceName);
    EXPECT_EQ(read.SourceLines, written.SourceLines);
    ASSERT_EQ(read.Records.size(), written.Records.size());
    for (std::size_t i = 0; i < read.Records.size(); ++i) {
        EXPECT_EQ(Describe(read.Records[i]), Describe(written.Records[i]));
    }
    ASSERT_EQ(read.Labels.size(), written.Labels.size());
    EXPECT_EQ(read.Labels.back().Name, "TABLE");
    EXPECT_EQ(read.Labels.back().Address, 8199);
}

TEST(ReadMapFile, SkipsItemsOfLaterVersionsAndRefusesBadOnes)
{
    SourceMap map;
    std::string error;
    EXPECT_TRUE(ReadMapFile("source-map 1\nsource p.asm\nbreakpoint 2000\n", map, error)) << error;
    EXPECT_EQ(map.SourceName, "p.asm");

    struct {
        const char* Text;
        const char* Error;
    } const rows[] = {
        {"", "not a source map: the first line is not \"source-map 1\""},
        {"source-map 2\n", "not a source map: the first line is not \"source-map 1\""},
        {"source-map 1\nsource p\\q\n", "line 2: bad source item"},
        {"source-map 1\ntext a\ntext \\x4\n", "line 3: bad text item"},
        {"source-map 1\nrecord 1 1 2000 2\n", "line 2: bad record item"},
        {"source-map 1\nrecord 1 1 200 2 code\n", "line 2: bad record item"},
        {"source-map 1\nrecord 0 1 2000 2 code\n", "line 2: bad record item"},
        {"source-map 1\nrecord 1 1 2000 -1 code\n", "line 2: bad record item"},
        {"source-map 1\nrecord 1 1 2000 2 bytes\n", "line 2: bad record item"},
        {"source-map 1\nrecord 2 1 2000 2 code\nrecord 2 2 2002 1 code\n", "line 3: bad record item"},
        {"source-map 1\nlabel 2000\n", "line 2: bad label item"},
        {"source-map 1\nlabel 20000 X\n", "line 2: bad label item"},
    };
    for (const auto& row : rows) {
        map.SourceName = "left over";
        EXPECT_FALSE(ReadMapFile(row.Text, map, error)) << row.Text;
        EXPECT_EQ(error, row.Error) << row.Text;
        EXPECT_EQ(map.SourceName, "");
    }
}

} // namespace
