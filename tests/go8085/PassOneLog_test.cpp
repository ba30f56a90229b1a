#include "PassOneLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A run log as Corvane writes it, around the given trace of source lines,
// with a one-row opcode table.
std::string RunLog(const std::string& sourceTrace)
{
    return "\nReading Opcodes Table\nOpcode Count is 1\n\t0.\t\tNOP\t\t1\n\n"
           "Starting with Pass 1 on p.asm Output to p.asm.pass1\nI/O File Ready\n" +
           sourceTrace + "End of Input File reached.\n\nPass 1 completed\n";
}

// The report as the user sees it, one line each.
std::string Report(const std::string& log)
{
    std::string text;
    for (const Problem& problem : ReadPassOneLog(log)) {
        text += FormatProblem(problem, "p.asm", "etc/opcodes.txt") + "\n";
    }
    return text;
}

struct Row {
    const char* Kind;
    const char* Trace;    // the log lines of the source, from its first line on
    const char* Expected; // the report
};

// One row per kind of problem pass 1 records. Each trace is what Corvane logs
// for the source line quoted in it.
const Row _Rows[] = {
    {"no problem",
     "-----------\nRead one line from InFile :  NOP\nTokenizing  NOP\nFound Token NOP\n"
     "Tokenized to 1 Tokens\nMnemonic Identified: NOP\n",
     ""},
    {"line that fits no statement, numbered past a comment line",
     "-----------\nRead one line from InFile : ; note\nIs a Comment. Continuing...\n"
     "-----------\nRead one line from InFile :  MVO A, B  \nTokenizing  MVO A, B  \n"
     "Found Token MVO\nFound Token A\nFound Token B\nTokenized to 3 Tokens\n"
     "Parse Error: Unable to parse this line\n",
     "p.asm:2: error: unable to parse this line: MVO A, B\n"},
    {"label followed by no instruction",
     "-----------\nRead one line from InFile : START: MVO A, B\nTokenizing START: MVO A, B\n"
     "Found Token START:\nFound Token MVO\nFound Token A\nFound Token B\nTokenized to 4 Tokens\n"
     "Label Found: START\nAdded Symbol: START to Symbol List\nSymbol Count: 1\n"
     "Parse Error: Unable to parse the rest of this line after the label\n",
     "p.asm:1: error: unable to parse this line: START: MVO A, B\n"
     "p.asm:1: note: the label START is defined; MVO is no instruction, DB or DW, so the rest of "
     "the line is ignored\n"},
    {"label followed by EQU",
     "-----------\nRead one line from InFile : N: EQU 5\nTokenizing N: EQU 5\nFound Token N:\n"
     "Found Token EQU\nFound Token 5\nTokenized to 3 Tokens\nLabel Found: N\n"
     "Added Symbol: N to Symbol List\nSymbol Count: 1\n"
     "Parse Error: Unable to parse the rest of this line after the label\n",
     "p.asm:1: error: unable to parse this line: N: EQU 5\n"
     "p.asm:1: note: the label N is defined with the address; to define a constant write N EQU "
     "value, without the colon\n"},
    {"DB without data",
     "-----------\nRead one line from InFile : DB\nTokenizing DB\nFound Token DB\n"
     "Tokenized to 1 Tokens\nDB identified\nDB parse Error: No Data Found\n",
     "p.asm:1: error: DB without data: nothing is placed\n"},
    {"DW without data",
     "-----------\nRead one line from InFile : DW\nTokenizing DW\nFound Token DW\n"
     "Tokenized to 1 Tokens\nDW identified\nDW parse Error: No Data Found\n",
     "p.asm:1: error: DW without data: nothing is placed\n"},
    {"ORG without an address",
     "-----------\nRead one line from InFile : ORG\nTokenizing ORG\nFound Token ORG\n"
     "Tokenized to 1 Tokens\nORG Found\nORG Parse error: Missing Address\n",
     "p.asm:1: error: ORG without an address: the address stays as it was\n"},
    {"EQU without a value",
     "-----------\nRead one line from InFile : N EQU\nTokenizing N EQU\nFound Token N\n"
     "Found Token EQU\nTokenized to 2 Tokens\nEQU Identified\nEQU Parse error: Missing Data\n",
     "p.asm:1: error: EQU without a value: N is not defined\n"},
    {"hexadecimal value too long in DB",
     "-----------\nRead one line from InFile : DB 0FFFFH\nTokenizing DB 0FFFFH\nFound Token DB\n"
     "Found Token 0FFFFH\nTokenized to 2 Tokens\nDB identified\nParsing Token 0FFFFH\n"
     "Str2SymbolData Error: Cannot convert symbol greater than word size\n"
     "str2symboldata Results: size = -1 data = 0\nAdded 1 Byte Data 0\n",
     "p.asm:1: error: DB value 0FFFFH has more than four hexadecimal digits before its H "
     "(leading zeros count): pass 1 lists 0\n"},
    {"name in DW",
     "-----------\nRead one line from InFile : DW LOOP\nTokenizing DW LOOP\nFound Token DW\n"
     "Found Token LOOP\nTokenized to 2 Tokens\nDW identified\nParsing Token LOOP\n"
     "str2symboldata Results: size = 2 data = 0\nAdded 2 Byte Data 0\n",
     "p.asm:1: error: DW value LOOP is no number: pass 1 lists 0 (names and strings are not "
     "resolved here)\n"},
    {"string in DB",
     "-----------\nRead one line from InFile : DB 'Hi'\nTokenizing DB 'Hi'\nFound Token DB\n"
     "Found Token 'Hi\nTokenized to 2 Tokens\nDB identified\nParsing Token 'Hi\n"
     "str2symboldata Results: size = 2 data = 0\nAdded 1 Byte Data 0\n",
     "p.asm:1: error: DB value 'Hi' is no number: pass 1 lists 0 (names and strings are not "
     "resolved here)\n"},
    {"value that is read only in part",
     "-----------\nRead one line from InFile : DB 12AB\nTokenizing DB 12AB\nFound Token DB\n"
     "Found Token 12AB\nTokenized to 2 Tokens\nDB identified\nParsing Token 12AB\n"
     "str2symboldata Results: size = 2 data = 12\nAdded 1 Byte Data 12\n",
     "p.asm:1: error: DB value 12AB is no number: pass 1 lists 12\n"
     "p.asm:1: note: hexadecimal needs an H, and a leading 0 before a letter: write 12ABH\n"},
    {"hexadecimal without its H, beginning with a letter",
     "-----------\nRead one line from InFile : ORG FF\nTokenizing ORG FF\nFound Token ORG\n"
     "Found Token FF\nTokenized to 2 Tokens\nORG Found\nstr2symboldata Results: size = 1 data = 0\n",
     "p.asm:1: error: ORG address FF is no number: pass 1 sets the address to 0 (names and strings are not "
     "resolved here)\n"
     "p.asm:1: note: hexadecimal needs an H, and a leading 0 before a letter: write 0FFH\n"},
    {"END as the last statement, with comments after it",
     "-----------\nRead one line from InFile :  NOP\nTokenizing  NOP\nFound Token NOP\n"
     "Tokenized to 1 Tokens\nMnemonic Identified: NOP\n"
     "-----------\nRead one line from InFile : \tend start\nTokenizing \tend start\nFound Token END\n"
     "Found Token START\nTokenized to 2 Tokens\nParse Error: Unable to parse this line\n"
     "-----------\nRead one line from InFile : ; the end\nIs a Comment. Continuing...\n",
     "p.asm:2: note: END is not needed: the source ends at its last line, and pass 1 leaves this line out\n"},
    {"END with statements after it",
     "-----------\nRead one line from InFile : DONE: END\nTokenizing DONE: END\nFound Token DONE:\n"
     "Found Token END\nTokenized to 2 Tokens\nLabel Found: DONE\nAdded Symbol: DONE to Symbol List\n"
     "Symbol Count: 1\nParse Error: Unable to parse the rest of this line after the label\n"
     "-----------\nRead one line from InFile :  NOP\nTokenizing  NOP\nFound Token NOP\n"
     "Tokenized to 1 Tokens\nMnemonic Identified: NOP\n",
     "p.asm:1: warning: END does not end the source here: pass 1 leaves this line out and goes on, so the "
     "statements after it are assembled too\n"},
    {"label glued to its mnemonic",
     "-----------\nRead one line from InFile : LOOP:mov a, m\nTokenizing LOOP:mov a, m\n"
     "Found Token LOOP:MOV\nFound Token A\nFound Token M\nTokenized to 3 Tokens\n"
     "Parse Error: Unable to parse this line\n",
     "p.asm:1: error: unable to parse this line: LOOP:mov a, m\n"
     "p.asm:1: note: put a blank after the colon: LOOP: mov\n"},
    {"DS after a label: the advice takes the place of the note on the label",
     "-----------\nRead one line from InFile : BUF: DS 40\nTokenizing BUF: DS 40\nFound Token BUF:\n"
     "Found Token DS\nFound Token 40\nTokenized to 3 Tokens\nLabel Found: BUF\n"
     "Added Symbol: BUF to Symbol List\nSymbol Count: 1\n"
     "Parse Error: Unable to parse the rest of this line after the label\n",
     "p.asm:1: error: unable to parse this line: BUF: DS 40\n"
     "p.asm:1: note: DS 40 reserves more bytes than pass 1 places on one line (14 zeros of DB): split it over "
     "several lines, or move the address on with ORG on a line of its own\n"},

    {"DB value beyond a byte",
     "-----------\nRead one line from InFile : DB 300\nTokenizing DB 300\nFound Token DB\n"
     "Found Token 300\nTokenized to 2 Tokens\nDB identified\nParsing Token 300\n"
     "str2symboldata Results: size = 2 data = 300\nAdded 1 Byte Data 300\n",
     "p.asm:1: warning: DB value 300 does not fit in a byte: pass 1 lists 44\n"},
    {"name as ORG address",
     "-----------\nRead one line from InFile : ORG START\nTokenizing ORG START\nFound Token ORG\n"
     "Found Token START\nTokenized to 2 Tokens\nORG Found\n"
     "str2symboldata Results: size = 2 data = 0\n",
     "p.asm:1: error: ORG address START is no number: pass 1 sets the address to 0 (names and "
     "strings are not resolved here)\n"},
    {"EQU symbol refused",
     "-----------\nRead one line from InFile : N EQU 12345H\nTokenizing N EQU 12345H\n"
     "Found Token N\nFound Token EQU\nFound Token 12345H\nTokenized to 3 Tokens\nEQU Identified\n"
     "Str2SymbolData Error: Cannot convert symbol greater than word size\n"
     "str2symboldata Results: size = -1 data = 0\n"
     "CRITICAL ERROR: Unable to add Symbol. Size of symbol cannot  be greater than 2\n",
     "p.asm:1: error: EQU value 12345H has more than four hexadecimal digits before its H "
     "(leading zeros count): pass 1 refuses it, so N is not defined\n"},
    {"name as EQU value",
     "-----------\nRead one line from InFile : N EQU LOOP\nTokenizing N EQU LOOP\nFound Token N\n"
     "Found Token EQU\nFound Token LOOP\nTokenized to 3 Tokens\nEQU Identified\n"
     "str2symboldata Results: size = 2 data = 0\nAdded Symbol: N to Symbol List\n"
     "Symbol Count: 1\n",
     "p.asm:1: error: EQU value LOOP is no number: pass 1 defines N as 0 (names and strings are "
     "not resolved here)\n"},
    {"line cut",
     "-----------\nRead one line from InFile :  NOP ; xxx\n"
     "Line longer than 510 characters: the rest of it was cut off\nTokenizing  NOP ; xxx\n"
     "Found Token NOP\nRemaining Part is Comment\nTokenized to 1 Tokens\nMnemonic Identified: NOP\n",
     "p.asm:1: warning: line longer than 510 characters: pass 1 ignores the rest of it\n"},
    {"more than 16 tokens",
     "-----------\nRead one line from InFile : DB 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\n"
     "Tokenizing DB 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\nFound Token DB\nFound Token 1\n"
     "Found Token 2\nFound Token 3\nFound Token 4\nFound Token 5\nFound Token 6\nFound Token 7\n"
     "Found Token 8\nFound Token 9\nFound Token 10\nFound Token 11\nFound Token 12\n"
     "Found Token 13\nFound Token 14\nFound Token 15\n"
     "More than 16 tokens: the rest of the line is ignored\nTokenized to 16 Tokens\n",
     "p.asm:1: error: more than 16 tokens: pass 1 ignores everything after the 16th, 15\n"},
    {"token cut",
     "-----------\nRead one line from InFile : LONGNAME: NOP\nTokenizing LONGNAME: NOP\n"
     "Token longer than 63 characters: only its first 63 are kept\nFound Token LONGNA\n"
     "Found Token NOP\nTokenized to 2 Tokens\nMnemonic Identified: NOP\n",
     "p.asm:1: warning: token longer than 63 characters: pass 1 keeps its first 63, LONGNA\n"},
    {"string without its closing quote",
     "-----------\nRead one line from InFile : MVI A, 'x\nTokenizing MVI A, 'x\nFound Token MVI\n"
     "Found Token A\n*****ERROR: String Token without Matching Closure\nFound Token 'x\n"
     "Tokenized to 3 Tokens\nMnemonic Identified: MVI\n",
     "p.asm:1: error: string 'x has no closing quote: it runs to the end of the line\n"},
    {"a problem line of unknown wording",
     "-----------\nRead one line from InFile : NOP\nTokenizing NOP\nFound Token NOP\n"
     "Tokenized to 1 Tokens\nSomething new went wrong\n",
     "p.asm:1: warning: pass 1 says: Something new went wrong\n"},
};

TEST(ReadPassOneLog, EveryKindOfProblem)
{
    for (const Row& row : _Rows) {
        EXPECT_EQ(Report(RunLog(row.Trace)), row.Expected) << row.Kind;
    }
}

// The log of a DB or DW line with one value, and the data pass 1 made of it.
std::string DataTrace(const std::string& directive, const std::string& token, const std::string& size,
                      const std::string& data)
{
    return "-----------\nRead one line from InFile : " + directive + " " + token + "\nTokenizing " + directive + " " +
           token + "\nFound Token " + directive + "\nFound Token " + token + "\nTokenized to 2 Tokens\n" + directive +
           " identified\nParsing Token " + token + "\nstr2symboldata Results: size = " + size + " data = " + data +
           "\nAdded " + (directive == "DB" ? "1" : "2") + " Byte Data " + data + "\n";
}

TEST(ReadPassOneLog, WarnsJustPastTheEdgesOfAByteAndOf16Bits)
{
    struct {
        const char* Directive;
        const char* Token;
        const char* Size;
        const char* Data; // as pass 1 logs it: the Word, signed
        const char* Expected;
    } const rows[] = {
        {"DB", "255", "1", "255", ""},
        {"DB", "256", "2", "256", "p.asm:1: warning: DB value 256 does not fit in a byte: pass 1 lists 0\n"},
        {"DB", "0FFH", "1", "255", ""},
        {"DB", "100H", "2", "256", "p.asm:1: warning: DB value 100H does not fit in a byte: pass 1 lists 0\n"},
        {"DB", "-128", "2", "-128", ""},
        {"DB", "-129", "2", "-129", "p.asm:1: warning: DB value -129 does not fit in a byte: pass 1 lists 127\n"},
        {"DW", "65535", "2", "-1", ""},
        {"DW", "65536", "2", "0", "p.asm:1: warning: DW value 65536 does not fit in 16 bits: pass 1 lists 0\n"},
        {"DW", "-32768", "2", "-32768", ""},
        {"DW", "-32769", "2", "32767",
         "p.asm:1: warning: DW value -32769 does not fit in 16 bits: pass 1 lists 32767\n"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Report(RunLog(DataTrace(row.Directive, row.Token, row.Size, row.Data))), row.Expected)
            << row.Directive << " " << row.Token;
    }
}

TEST(ReadPassOneLog, OpcodeTableProblems)
{
    const Row rows[] = {
        {"table missing", "\nReading Opcodes Table\nOpcode Count is 0\n\n",
         "etc/opcodes.txt: warning: the opcode table is missing or has no usable row: no "
         "instruction is recognised\n"},
        {"table ends early",
         "\nReading Opcodes Table\nOpcode Count is 2\n"
         "Opcode table ends early: only 1 of 2 rows could be read\n\t0.\t\tNOP\t\t1\n"
         "\t1.\t\t\t\t0\n\n",
         "etc/opcodes.txt: warning: Opcode table ends early: only 1 of 2 rows could be read\n"},
    };
    for (const Row& row : rows) {
        const std::string log = std::string(row.Trace) + "Starting with Pass 1 on p.asm Output to p.asm.pass1\n"
                                                         "I/O File Ready\nEnd of Input File reached.\n";
        EXPECT_EQ(Report(log), row.Expected) << row.Kind;
    }
}

TEST(FormatProblem, ShowsACarriageReturnAndOtherControlCharacters)
{
    EXPECT_EQ(FormatProblem({3, Severity::Error, "unable to parse this line: MVI\rA,\t5\x01"}, "p.asm", "t"),
              "p.asm:3: error: unable to parse this line: MVI\\rA,\t5\\x01");
}

TEST(CountProblems, CountsOneKind)
{
    const std::vector<Problem> problems = {
        {1, Severity::Error, "a"}, {1, Severity::Note, "b"}, {2, Severity::Warning, "c"}, {3, Severity::Error, "d"}};
    EXPECT_EQ(CountProblems(problems, Severity::Error), 2);
    EXPECT_EQ(CountProblems(problems, Severity::Warning), 1);
}

} // namespace
