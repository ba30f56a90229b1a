// The command interpreter: the table's columns (repeat, prefixes, arguments),
// names shared by labels and registers, and the commands' rules, one table
// row each. Transcripts of whole sessions are in tests/golden/run8085.
#include "DebugSession.h"
#include "Expression.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// calls.asm: the main program, its HLT, then OUTER and INNER, data labelled
// K, Z and PC, and an RST 7.5 handler at 003CH.
const std::vector<std::uint8_t> _Calls = {
    0x31, 0x00, 0x30, // 2000 START: LXI SP, 3000H
    0x3E, 0x0B,       // 2003 MVI A, 0BH
    0x30,             // 2005 SIM
    0xFB,             // 2006 EI
    0x06, 0x03,       // 2007 MVI B, 3
    0x21, 0x27, 0x20, // 2009 LXI H, DATA
    0xCD, 0x19, 0x20, // 200C LOOP: CALL OUTER
    0x05,             // 200F DCR B
    0xC2, 0x0C, 0x20, // 2010 JNZ LOOP
    0x3E, 0xC0,       // 2013 MVI A, 0C0H
    0x30,             // 2015 SIM
    0xD3, 0x20,       // 2016 OUT 20H
    0x76,             // 2018 HLT
    0xCD, 0x1E, 0x20, // 2019 OUTER: CALL INNER
    0x23,             // 201C INX H
    0xC9,             // 201D RET
    0x7E,             // 201E INNER: MOV A, M
    0x80,             // 201F ADD B
    0x77,             // 2020 MOV M, A
    0xD3, 0x21,       // 2021 OUT 21H
    0xC9,             // 2023 RET
    0x55,             // 2024 K: DB 55H
    0xAA,             // 2025 Z: DB 0AAH
    0x77,             // 2026 PC: DB 77H
    0x01, 0x02, 0x03, // 2027 DATA: DB 1, 2, 3
};

const char* const _CallsMap = "source-map 1\n"
                              "source calls.asm\n"
                              "record 1 4 2000 3 code\n"
                              "record 2 5 2003 2 code\n"
                              "record 3 6 2005 1 code\n"
                              "record 4 7 2006 1 code\n"
                              "record 5 8 2007 2 code\n"
                              "record 6 9 2009 3 code\n"
                              "record 7 10 200C 3 code\n"
                              "record 8 11 200F 1 code\n"
                              "record 9 12 2010 3 code\n"
                              "record 10 13 2013 2 code\n"
                              "record 11 14 2015 1 code\n"
                              "record 12 15 2016 2 code\n"
                              "record 13 16 2018 1 code\n"
                              "record 14 17 2019 3 code\n"
                              "record 15 18 201C 1 code\n"
                              "record 16 19 201D 1 code\n"
                              "record 17 20 201E 1 code\n"
                              "record 18 21 201F 1 code\n"
                              "record 19 22 2020 1 code\n"
                              "record 20 23 2021 2 code\n"
                              "record 21 24 2023 1 code\n"
                              "record 22 25 2024 1 data\n"
                              "record 23 26 2025 1 data\n"
                              "record 24 27 2026 1 data\n"
                              "record 25 28 2027 3 data\n"
                              "record 26 30 003C 1 code\n"
                              "record 27 31 003D 1 code\n"
                              "record 28 32 003E 1 code\n"
                              "label 2000 START\n"
                              "label 200C LOOP\n"
                              "label 2019 OUTER\n"
                              "label 201E INNER\n"
                              "label 2024 K\n"
                              "label 2025 Z\n"
                              "label 2026 PC\n"
                              "label 2027 DATA\n"
                              "label 003C R75\n";

std::unique_ptr<DebugSession> MakeCalls(bool withMap)
{
    auto first = std::make_unique<CpuState>();
    ResetCpu(*first, CpuModel::I8085);
    std::memcpy(first->Memory + 0x2000, _Calls.data(), _Calls.size());
    first->Memory[0x3C] = 0x0C; // R75: INR C
    first->Memory[0x3D] = 0xFB; // EI
    first->Memory[0x3E] = 0xC9; // RET
    first->PC = 0x2000;
    auto session = std::make_unique<DebugSession>();
    LoadDebugSession(*session, *first, MachineOptions{});
    if (withMap) {
        SourceMap map;
        std::string error;
        EXPECT_TRUE(ReadMapFile(_CallsMap, map, error)) << error;
        SetDebugSourceMap(*session, std::move(map));
    }
    return session;
}

std::string Type(DebugSession& session, const std::string& line)
{
    return RunDebugCommand(session, line).Text;
}

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(Commands, EachComparisonBothWays)
{
    struct Row {
        const char* Expression;
        std::int64_t Truth;
    };
    static constexpr Row rows[] = {
        {"3 <= 3", 1}, {"2 <= 3", 1}, {"4 <= 3", 0}, {"3 < 3", 0},  {"2 < 3", 1},  {"4 < 3", 0},
        {"3 >= 3", 1}, {"4 >= 3", 1}, {"2 >= 3", 0}, {"3 > 3", 0},  {"4 > 3", 1},  {"2 > 3", 0},
        {"3 == 3", 1}, {"2 == 3", 0}, {"3 != 3", 0}, {"2 != 3", 1}, {"3<=3", 1},   {"3>=4", 0},
    };
    const auto session = MakeCalls(false);
    for (const Row& row : rows) {
        ExprValue value;
        std::string error;
        ASSERT_TRUE(EvaluateExpression(*session, row.Expression, value, error)) << row.Expression << ": " << error;
        EXPECT_EQ(value.Value, row.Truth) << row.Expression;
    }
}

TEST(Commands, EachComparisonAsABreakpointCondition)
{
    // LOOP is met with B = 3, 2, 1; the first B that holds stops there, 0: none.
    struct Row {
        const char* Condition;
        int StopsWithB;
    };
    static constexpr Row rows[] = {
        {"B <= 2", 2}, {"B <= 0", 0}, {"B < 2", 1},  {"B < 1", 0},  {"B >= 3", 3}, {"B >= 4", 0},
        {"B > 2", 3},  {"B > 3", 0},  {"B == 2", 2}, {"B == 5", 0}, {"B != 3", 2}, {"B != B", 0},
    };
    for (const Row& row : rows) {
        const auto session = MakeCalls(true);
        Type(*session, std::string("break LOOP if ") + row.Condition);
        const std::string stop = Type(*session, "continue");
        if (row.StopsWithB == 0) {
            EXPECT_TRUE(Has(stop, "halted\n")) << row.Condition << "\n" << stop;
        } else {
            EXPECT_TRUE(Has(stop, "breakpoint 1, LOOP")) << row.Condition << "\n" << stop;
            EXPECT_EQ(session->Now.Cpu.B, row.StopsWithB) << row.Condition;
        }
    }
}

TEST(Commands, NamesSharedByALabelAndTheMachineAreTheLabelAndDollarIsTheMachine)
{
    struct Row {
        const char* Command;
        const char* Shows;
    };
    static constexpr Row rows[] = {
        {"print K", "note: 'K' is the label at 2024H; the machine's K is $k\nK = 2024H (8228)\n"},
        {"print $k", "$k = 0\n"},
        {"print PC", "PC = 2026H"},
        {"print $pc", "$pc = 2000H"},
        {"print $PC", "$PC = 2000H"},
        {"print Z + 1", "Z + 1 = 2026H"},
        {"print $z", "$z = 0\n"},
        {"print B", "B = 00H (0)\n"}, // no label B
        {"print $ie", "$ie = 0\n"},
        {"print $m75", "$m75 = 1\n"},
        {"break K", "breakpoint 1 at K"},
        {"break $pc", "breakpoint 2 at START"},
        {"watch Z", "watchpoint 3: [2025H]\n"},
        {"watch $z", "watchpoint 4: Z\n"},
        {"set K = 1", "note: 'K' is also a label; set changes the machine's K ($k)\n"},
        {"print $k", "$k = 1\n"},
        {"set DATA = 1", "'DATA' is a label: set [DATA] = VALUE writes the byte there\n"},
        {"print $x", "no register, flag or interrupt state named '$x'\n"},
        {"watch IE", "'IE' is not memory or a register: print and display show it\n"},
    };
    const auto session = MakeCalls(true);
    for (const Row& row : rows)
        EXPECT_TRUE(Has(Type(*session, row.Command), row.Shows)) << row.Command << "\n" << Type(*session, row.Command);
    // Without a map there is no label K: K is the flag.
    const auto plain = MakeCalls(false);
    EXPECT_EQ(Type(*plain, "print K"), "K = 0\n");
}

TEST(Commands, ABreakpointJustPastAHaltIsNotHitWhenTheProgramHalts)
{
    const auto session = MakeCalls(true);
    Type(*session, "break OUTER if B == 0");
    const std::string stop = Type(*session, "continue");
    EXPECT_TRUE(Has(stop, "halted\n")) << stop;
    EXPECT_FALSE(Has(stop, "breakpoint 1,")) << stop;
    EXPECT_EQ(session->Stops.Breaks[0].Hits, 0);
}

TEST(Commands, WatchMIsTheByteHlPointsAtAndWatchOfABracketIsOneByte)
{
    const auto session = MakeCalls(true);
    Type(*session, "advance INNER"); // HL = 2027H, M = 01H
    EXPECT_TRUE(Has(Type(*session, "watch M"), "watchpoint 1: [2027H]\n"));
    EXPECT_EQ(Type(*session, "watch [HL-1]"), "watchpoint 2: [2026H]\n");
    EXPECT_EQ(Type(*session, "watch 2027H-2029H"), "watchpoint 3: [2027H-2029H]\n");
    EXPECT_TRUE(Has(Type(*session, "continue"), "watchpoint 1: [2027H] 01 -> 04\n"));
}

TEST(Commands, TheHistoryMessageCountsTheInstructionsHeld)
{
    const auto session = MakeCalls(true);
    session->History.HistoryBytes = 0; // two copies
    Type(*session, "step 5");
    Type(*session, "set C = 1"); // a copy at 5
    Type(*session, "step 9");
    const std::string said = Type(*session, "set C = 2"); // a copy at 14: the one at 0 goes
    EXPECT_TRUE(Has(said, "history holds the last 9 instructions\n")) << said;
}

TEST(Commands, AnEmptyLineRepeatsMotionsListAndXButNothingThatChangesOrSets)
{
    static constexpr const char* once[] = {"run",      "set A = 1", "input 10H = 1", "break LOOP", "interrupt TRAP",
                                           "watch 2050H", "delete",  "print A",       "info registers"};
    for (const char* command : once) {
        const auto session = MakeCalls(true);
        Type(*session, "step");
        Type(*session, command);
        const std::uint64_t steps = CountSteps(session->Now);
        const auto breaks = session->Stops.Breaks.size();
        EXPECT_EQ(Type(*session, ""), "") << command;
        EXPECT_EQ(CountSteps(session->Now), steps) << command;
        EXPECT_EQ(session->Stops.Breaks.size(), breaks) << command;
    }
    const auto session = MakeCalls(true);
    Type(*session, "step");
    Type(*session, "");
    EXPECT_EQ(CountSteps(session->Now), 2u);
    Type(*session, "x 2027H 2");
    EXPECT_EQ(Type(*session, ""), "2029: 03 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00  |................|\n");
}

TEST(Commands, OnlyACommandThatChangesTheMachineCutsTheHistory)
{
    const auto session = MakeCalls(true);
    Type(*session, "step 3");
    Type(*session, "reverse-step 2");
    for (const char* look : {"interrupt", "print A", "info record", "x/2i $pc", "backtrace", "when"})
        EXPECT_FALSE(Has(Type(*session, look), "discarded")) << look;
    EXPECT_TRUE(Has(Type(*session, "record goto end"), "PC=2006")) << "the history still reaches moment 3";
    Type(*session, "reverse-step 2");
    EXPECT_EQ(Type(*session, "interrupt TRAP"), "the history after this point is discarded\n");
    EXPECT_TRUE(Has(Type(*session, "info record"), "the history holds moments 0 to 1\n"));
}

TEST(Commands, UniquePrefixesAliasesAndAmbiguity)
{
    struct Row {
        const char* Typed;
        const char* Shows;
    };
    static constexpr Row rows[] = {
        {"i r", "PC=2000 SP=0000"},
        {"info reg", "PC=2000 SP=0000"},
        {"disas 2000H 1", "=> 2000: 31 00 30  LXI SP, 3000H\n"},
        {"inf b", "no breakpoints or watchpoints\n"},
        {"re", "'re' is ambiguous: reverse-step, reverse-next, reverse-continue, reverse-finish, record, regs\n"},
        {"info p", "no port written yet"},
        {"info zz", "info what?"},
        {"jump 2000H", "unknown command 'jump' (try 'help')\n"},
        {"regs 1", "regs takes no argument\n"},
        {"watch", "watch needs an argument: watch REG | ADDR | [EXPR] | FROM-TO\n"},
        {"step/x", "step takes no /FMT\n"},
        {"p/x 10", "10 = 0AH\n"},
        {"p/d 0FFH", "0FFH = -1\n"},
        {"p/u 0FFH", "0FFH = 255\n"},
        {"p/t 5", "5 = 00000101\n"},
        {"p/c 41H", "41H = 'A'\n"},
        {"p/q 1", "no format 'q'"},
    };
    const auto session = MakeCalls(true);
    for (const Row& row : rows)
        EXPECT_TRUE(Has(Type(*session, row.Typed), row.Shows)) << row.Typed << "\n" << Type(*session, row.Typed);
    EXPECT_TRUE(Has(Type(*session, "fin"), "PC=")) << "fin is finish";
}

TEST(Commands, CompletionOfCommandsInfoLabelsAndRegisters)
{
    const auto session = MakeCalls(true);
    EXPECT_EQ(CompleteDebugWord(*session, "", "rev"),
              (std::vector<std::string>{"reverse-continue", "reverse-finish", "reverse-next", "reverse-step"}));
    EXPECT_EQ(CompleteDebugWord(*session, "info ", "in"), (std::vector<std::string>{"interrupts"}));
    EXPECT_EQ(CompleteDebugWord(*session, "break ", "ou"), (std::vector<std::string>{"OUTER"}));
    EXPECT_EQ(CompleteDebugWord(*session, "print ", "$p"), (std::vector<std::string>{"$p", "$pc", "$psw"}));
}

TEST(Commands, BreakpointCommandsIgnoreDisableAndSavedBreakpointsReadBack)
{
    const auto session = MakeCalls(true);
    Type(*session, "break LOOP");
    Type(*session, "commands");
    Type(*session, "print B");
    Type(*session, "end");
    Type(*session, "ignore 1 1");
    std::string stop = Type(*session, "continue");
    EXPECT_TRUE(Has(stop, "breakpoint 1, LOOP")) << stop;
    EXPECT_TRUE(Has(stop, "B = 02H (2)\n")) << "the second hit, then its commands\n" << stop;
    Type(*session, "disable 1");
    EXPECT_TRUE(Has(Type(*session, "continue"), "halted\n"));

    static std::string saved;
    session->Files.Write = [](const std::string&, const std::string& text, std::string&) {
        saved = text;
        return true;
    };
    session->Files.Read = [](const std::string&, std::string& text, std::string&) {
        text = saved;
        return true;
    };
    Type(*session, "watch [HL-1]");
    Type(*session, "tbreak OUTER if B == 1");
    EXPECT_EQ(Type(*session, "save breakpoints b.txt"), "saved 3 to b.txt\n");
    EXPECT_EQ(saved, "break LOOP\ndisable $bpnum\ncommands\n  print B\nend\nwatch 2029H\ntbreak OUTER if B == 1\n");
    Type(*session, "delete");
    Type(*session, "source b.txt");
    ASSERT_EQ(session->Stops.Breaks.size(), 3u);
    EXPECT_FALSE(session->Stops.Breaks[0].Enabled);
    EXPECT_EQ(session->Stops.Breaks[0].Commands, std::vector<std::string>{"print B"});
    EXPECT_EQ(session->Stops.Breaks[1].From, 0x2029);
    EXPECT_TRUE(session->Stops.Breaks[2].Temporary);
}

TEST(Commands, ReadAndAccessWatchpointsSeeWhatEachKindOfInstructionReadsAndStores)
{
    struct Row {
        const char* What;
        std::vector<std::uint8_t> Code; // at 2000H
        const char* Setup;              // one command
        const char* Watch;
        bool Stops;
    };
    const Row rows[] = {
        {"MOV A, M", {0x7E}, "set HL = 2100H", "rwatch 2100H", true},
        {"MOV M, A stores only", {0x77}, "set HL = 2100H", "rwatch 2100H", false},
        {"MOV M, A is an access", {0x77}, "set HL = 2100H", "awatch 2100H", true},
        {"CMP M", {0xBE}, "set HL = 2100H", "rwatch 2100H", true},
        {"LDAX D", {0x1A}, "set DE = 2100H", "rwatch 2100H", true},
        {"LDAX B elsewhere", {0x0A}, "set BC = 2101H", "rwatch 2100H", false},
        {"LDA", {0x3A, 0x00, 0x21}, "set A = 0", "rwatch 2100H", true},
        {"LHLD's second byte", {0x2A, 0xFF, 0x20}, "set A = 0", "rwatch 2100H", true},
        {"STA reads nothing", {0x32, 0x00, 0x21}, "set A = 0", "rwatch 2100H", false},
        {"POP B", {0xC1}, "set SP = 2100H", "rwatch 2100H", true},
        {"XTHL", {0xE3}, "set SP = 20FFH", "rwatch 2100H", true},
        {"RNZ taken", {0xC0}, "set $z = 0", "rwatch 0", true},
        {"RNZ not taken", {0xC0}, "set $z = 1", "rwatch 0", false},
        {"CALL pushes", {0xCD, 0x00, 0x30}, "set SP = 2102H", "awatch 2100H", true},
        {"CNZ not taken", {0xC4, 0x00, 0x30}, "set $z = 1", "awatch 0FFFEH", false},
        {"LHLX (8085)", {0xED}, "set DE = 2100H", "rwatch 2100H", true},
        {"INX H reads no memory", {0x23}, "set HL = 2100H", "awatch 2100H", false},
    };
    for (const Row& row : rows) {
        auto first = std::make_unique<CpuState>();
        ResetCpu(*first, CpuModel::I8085);
        std::memcpy(first->Memory + 0x2000, row.Code.data(), row.Code.size());
        first->PC = 0x2000;
        auto session = std::make_unique<DebugSession>();
        LoadDebugSession(*session, *first, MachineOptions{});
        ASSERT_FALSE(RunDebugCommand(*session, row.Setup).Refused) << row.What;
        ASSERT_FALSE(RunDebugCommand(*session, row.Watch).Refused) << row.What;
        const std::string stop = Type(*session, "step");
        EXPECT_EQ(Has(stop, "watchpoint 1: ["), row.Stops) << row.What << "\n" << stop;
    }
}

} // namespace
