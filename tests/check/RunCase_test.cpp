// Cases run on programs assembled by the real chain: each rule of the run
// and of the verdict, one row each, with the words a teacher reads.
#include "Assemble.h"
#include "CheckFile.h"
#include "Judge.h"
#include "RunCase.h"
#include "WholeFile.h"

#include "support/RunProgram.h"

#include <gtest/gtest.h>

namespace {

// Assembles source as prog.asm with the toolchain built beside Check8085.
Assembly AssembleText(const std::string& source)
{
    static ScratchDirectory scratch;
    static int serial = 0;
    Toolchain tools;
    std::string error;
    EXPECT_TRUE(FindToolchain(CHECK8085_DIR, tools, error)) << error;
    std::string table;
    EXPECT_TRUE(ReadWholeFile(tools.OpcodeTable, table, error)) << error;
    return AssembleSubmission(tools, table, "prog.asm", source, (scratch.Path / std::to_string(++serial)).string());
}

// The verdicts of every case of a check file on a source: "pass" or the difference.
std::vector<std::string> Check(const std::string& source, const std::string& checkText)
{
    const Assembly assembly = AssembleText(source);
    EXPECT_TRUE(assembly.Assembled) << assembly.FirstError;
    std::vector<CheckFileError> errors;
    const CheckFile check = ReadCheckFile(checkText, errors);
    EXPECT_TRUE(errors.empty()) << (errors.empty() ? "" : errors[0].Text);
    const auto machine = MakeCaseMachine();
    std::string error;
    EXPECT_TRUE(LoadProgram(*machine, assembly.Program, check.Is8080, error)) << error;
    std::vector<std::string> verdicts;
    for (const CheckCase& test : check.Cases) {
        const CaseVerdict verdict = JudgeCase(test, RunCase(*machine, test), assembly.Program.Map);
        verdicts.push_back(verdict.Passed ? "pass" : verdict.Difference);
    }
    return verdicts;
}

struct Row {
    const char* What;
    const char* Source;
    const char* Check;
    std::vector<std::string> Verdicts;
};

const Row _Rows[] = {
    {"a byte differs: the instruction that stored it last, on its line",
     "\tORG 2000H\n\tMVI A, 8\n\tSTA 2050H\n\tMVI A, 9\n\tSTA 2050H\n\tHLT\n",
     "case a\nexpect memory 2050H: 0AH\n",
     {"[2050H] = 09H, expected 0AH; last stored by STA 2050H at prog.asm:5"}},
    {"stores through HL and by a push are seen too",
     "\tORG 2000H\n\tLXI H, 2050H\n\tMVI M, 7\n\tLXI SP, 2062H\n\tPUSH H\n\tHLT\n",
     "case a\nexpect memory 2050H: 8\ncase b\nexpect memory 2060H: 0 0\n",
     {"[2050H] = 07H, expected 08H; last stored by MVI M, 07H at prog.asm:3",
      "[2060H] = 50H, expected 00H; last stored by PUSH H at prog.asm:5"}},
    {"a byte the program never stored",
     "\tORG 2000H\n\tHLT\n",
     "case a\nmemory 2050H: 1\nexpect memory 2050H: 2\n",
     {"[2050H] = 01H, expected 02H; the program never stored there"}},
    {"registers, pairs and flags",
     "\tORG 2000H\n\tMVI A, 0FFH\n\tADI 1\n\tLXI H, 1234H\n\tHLT\n",
     "case a\nexpect registers A=1\ncase b\nexpect registers HL=1235H\ncase c\nexpect flags CY=0\n"
     "case d\nexpect registers A=0 HL=1234H\nexpect flags Z=1 CY=1\n",
     {"A = 00H, expected 01H", "HL = 1234H, expected 1235H", "flag CY = 1, expected 0", "pass"}},
    {"the case's registers and flags are the start",
     "\tORG 2000H\n\tACI 0\n\tHLT\n",
     "case a\nregisters A=41H\nflags CY=1\nexpect registers A=42H\n",
     {"pass"}},
    {"IN reads the case's values in order, then the last one again",
     "\tORG 2000H\n\tIN 5\n\tMOV B, A\n\tIN 5\n\tADD B\n\tMOV B, A\n\tIN 5\n\tADD B\n\tMOV B, A\n\tIN 6\n\tADD B\n\tHLT\n",
     "case a\nin 5: 1 2\nexpect registers A=5\n",
     {"pass"}},
    {"the values OUT wrote, in order",
     "\tORG 2000H\n\tMVI A, 1\n\tOUT 2\n\tINR A\n\tOUT 2\n\tOUT 3\n\tHLT\n",
     "case a\nexpect out 2: 1 2\nexpect out 3: 2\ncase b\nexpect out 2: 1 3\ncase c\nexpect out 4:\n",
     {"pass", "OUT 02H wrote 01H 02H, expected 01H 03H", "pass"}},
    {"an interrupt on its step runs its routine",
     "\tORG 2000H\n\tMVI A, 08H\n\tSIM\n\tEI\nWAIT:\tJMP WAIT\n\tORG 003CH\n\tMVI A, 77H\n\tSTA 2050H\n\tHLT\n",
     "case a\ninterrupt 10 RST7.5\nexpect memory 2050H: 77H\ncase b\nsteps 50\nexpect stop steps\n",
     {"pass", "pass"}},
    {"the store right after EI runs unwatched: no claim that nothing stored there",
     "\tORG 2000H\n\tMVI A, 3\n\tEI\n\tSTA 2050H\n\tHLT\n",
     "case a\nexpect memory 2050H: 4\n",
     {"[2050H] = 03H, expected 04H"}},
    {"endless: the step limit, and where it was",
     "\tORG 2000H\n\tMVI A, 1\nLOOP:\tINR A\n\tJMP LOOP\n",
     "case a\nsteps 101\ncase b\nsteps 100\nexpect stop steps\n",
     {"did not end within 101 steps (the step limit); it was at 2002H (prog.asm:3) INR A", "pass"}},
    {"a kit ending: a jump to where the program placed nothing",
     "\tORG 2000H\n\tMVI A, 1\n\tRST 1\n",
     "case a\ncase b\nexpect stop kit\ncase c\nexpect stop halt\n",
     {"pass", "pass", "left the program at 2002H (prog.asm:3) RST 1 (a kit ending), expected a halt"}},
    {"a halt where a kit ending is expected",
     "\tORG 2000H\n\tHLT\n",
     "case a\nexpect stop kit\ncase b\nexpect stop steps\n",
     {"halted at 2000H (prog.asm:2) HLT, expected a kit ending (a jump out of the program, to the monitor)",
      "halted at 2000H (prog.asm:2) HLT, expected it to run on to the step limit"}},
    {"the T-state limit and the T-state budget",
     "\tORG 2000H\n\tMVI C, 10\nLOOP:\tDCR C\n\tJNZ LOOP\n\tHLT\n",
     "case a\ntstates 50\ncase b\nexpect tstates 100\ncase c\nexpect tstates 200\n",
     {"did not end within 50 T-states (the T-state limit); it was at 2003H (prog.asm:4) JNZ 2002H",
      "took 149 T-states, expected at most 100", "pass"}},
    {"a start where nothing is placed",
     "\tORG 2000H\n\tHLT\n",
     "case a\nregisters PC=3000H\n",
     {"the program counter starts at 3000H, where the program placed nothing"}},
    {"every case starts from the image: nothing carries over",
     "\tORG 2000H\n\tLXI H, 2050H\n\tINR M\n\tHLT\n",
     "case a\nexpect memory 2050H: 1\ncase b\nexpect memory 2050H: 1\n",
     {"pass", "pass"}},
    {"a program that writes 0FFH (RST 7) everywhere, itself too, leaves; no later case sees it",
     "\tORG 2000H\n\tLXI H, 0\n\tMVI A, 0FFH\nFILL:\tMOV M, A\n\tINX H\n\tJMP FILL\n",
     "case a\nsteps 300000\nexpect stop kit\ncase b\nsteps 10\nexpect stop steps\nexpect memory 2050H: 0\n",
     {"pass", "pass"}},
};

TEST(RunCase, EachRuleOfTheRunAndTheVerdict)
{
    for (const Row& row : _Rows)
        EXPECT_EQ(Check(row.Source, row.Check), row.Verdicts) << row.What;
}

TEST(RunCase, The8080HasNoRim)
{
    // RIM (20H) is a NOP on the 8080: A keeps its value.
    EXPECT_EQ(Check("\tORG 2000H\n\tMVI A, 5\n\tDB 20H\n\tHLT\n", "cpu 8080\ncase a\nexpect registers A=5\n"),
              std::vector<std::string>{"pass"});
}

TEST(Assemble, TheFirstErrorOnItsSourceLine)
{
    Assembly pass1 = AssembleText("\tORG 2000H\n\tMOVE A, B\n\tMVI Q, 1\n");
    EXPECT_FALSE(pass1.Assembled);
    EXPECT_EQ(pass1.FirstError, "prog.asm:2: error: unable to parse this line: MOVE A, B");
    Assembly pass2 = AssembleText("\tORG 2000H\n\tNOP\n\tINX BC\n");
    EXPECT_FALSE(pass2.Assembled);
    EXPECT_EQ(pass2.FirstError.rfind("prog.asm:3: error: ", 0), 0u) << pass2.FirstError;
}

} // namespace
