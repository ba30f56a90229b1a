#include "DebugSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// Every part of the machine that running can change, compared field by field.
void ExpectSameMachine(const DebugMachine& a, const DebugMachine& b, const std::string& where)
{
    const CpuState& x = a.Cpu;
    const CpuState& y = b.Cpu;
    EXPECT_EQ(x.PC, y.PC) << where;
    EXPECT_EQ(x.SP, y.SP) << where;
    EXPECT_EQ(x.A, y.A) << where;
    EXPECT_EQ(x.B, y.B) << where;
    EXPECT_EQ(x.C, y.C) << where;
    EXPECT_EQ(x.D, y.D) << where;
    EXPECT_EQ(x.E, y.E) << where;
    EXPECT_EQ(x.H, y.H) << where;
    EXPECT_EQ(x.L, y.L) << where;
    EXPECT_EQ(x.F, y.F) << where;
    EXPECT_EQ(x.IE, y.IE) << where;
    EXPECT_EQ(x.EnablePending, y.EnablePending) << where;
    EXPECT_EQ(x.Halted, y.Halted) << where;
    EXPECT_EQ(x.Masks, y.Masks) << where;
    EXPECT_EQ(x.Rst75Latch, y.Rst75Latch) << where;
    EXPECT_EQ(x.Sod, y.Sod) << where;
    EXPECT_EQ(x.Lines.Trap, y.Lines.Trap) << where;
    EXPECT_EQ(x.Lines.Rst75, y.Lines.Rst75) << where;
    EXPECT_EQ(x.Lines.Intr, y.Lines.Intr) << where;
    EXPECT_EQ(x.Instructions, y.Instructions) << where;
    EXPECT_EQ(x.States, y.States) << where;
    EXPECT_EQ(0, std::memcmp(x.Memory, y.Memory, sizeof x.Memory)) << where;
    EXPECT_EQ(0, std::memcmp(a.Out.Written, b.Out.Written, sizeof a.Out.Written)) << where;
    EXPECT_EQ(0, std::memcmp(a.Out.Last, b.Out.Last, sizeof a.Out.Last)) << where;
    EXPECT_EQ(0, std::memcmp(a.Inputs, b.Inputs, sizeof a.Inputs)) << where;
    EXPECT_EQ(a.Progress.NextEvent, b.Progress.NextEvent) << where;
    EXPECT_EQ(a.ConsoleReads, b.ConsoleReads) << where;
    EXPECT_EQ(a.ConsoleWrites, b.ConsoleWrites) << where;
}

std::unique_ptr<DebugSession> MakeSession(const std::vector<std::uint8_t>& code, MachineOptions options = {})
{
    auto first = std::make_unique<CpuState>();
    ResetCpu(*first, options.Model);
    std::memcpy(first->Memory + 0x2000, code.data(), code.size());
    first->PC = 0x2000;
    auto session = std::make_unique<DebugSession>();
    LoadDebugSession(*session, *first, options);
    return session;
}

std::string Type(DebugSession& session, const std::string& command)
{
    return RunDebugCommand(session, command).Text;
}

// Sums a table through a subroutine, reads and writes ports, pushes and
// pops, enables interrupts, and takes a TRAP (vector 0024H) on the way.
const std::vector<std::uint8_t> _Program = {
    0x31, 0x00, 0x30, // 2000 LXI SP, 3000H
    0x06, 0x03,       // 2003 MVI B, 3
    0x21, 0x50, 0x20, // 2005 LXI H, 2050H
    0xCD, 0x18, 0x20, // 2008 LOOP: CALL ADDIT
    0x05,             // 200B DCR B
    0xC2, 0x08, 0x20, // 200C JNZ LOOP
    0xDB, 0x10,       // 200F IN 10H
    0xD3, 0x11,       // 2011 OUT 11H
    0xF5,             // 2013 PUSH PSW
    0xD1,             // 2014 POP D
    0xFB,             // 2015 EI
    0x00,             // 2016 NOP
    0x76,             // 2017 HLT
    0x7E,             // 2018 ADDIT: MOV A, M
    0x80,             // 2019 ADD B
    0x77,             // 201A MOV M, A
    0xC9,             // 201B RET
};

std::unique_ptr<DebugSession> MakeProgramSession()
{
    MachineOptions options;
    options.Inputs.push_back({0x10, 0x5A});
    options.Interrupts.push_back({5, InterruptSource::Trap, 0});
    auto session = MakeSession(_Program, options);
    session->Now.Cpu.Memory[0x24] = 0x0E; // TRAP: MVI C, 77H
    session->Now.Cpu.Memory[0x25] = 0x77;
    session->Now.Cpu.Memory[0x26] = 0xC9; // RET
    NoteMachineChanged(*session);
    session->First = session->Now;
    return session;
}

TEST(DebugSession, ReverseContinueFromTheEndGivesTheFirstStateAndContinueTheSameEnd)
{
    auto session = MakeProgramSession();
    const auto first = std::make_unique<DebugMachine>(session->Now);
    EXPECT_NE(Type(*session, "continue").find("halted\n"), std::string::npos);
    const auto last = std::make_unique<DebugMachine>(session->Now);
    ASSERT_TRUE(last->Cpu.Halted);
    ASSERT_EQ(last->Cpu.C, 0x77) << "the TRAP was taken";
    ASSERT_TRUE(last->Out.Written[0x11]);

    EXPECT_NE(Type(*session, "reverse-continue").find("start of history\n"), std::string::npos);
    ExpectSameMachine(session->Now, *first, "after reverse-continue");

    Type(*session, "continue");
    ExpectSameMachine(session->Now, *last, "after continuing again");
}

TEST(DebugSession, EachStepBackIsTheMachineAsItWasAtThatStep)
{
    auto session = MakeProgramSession();
    std::vector<std::unique_ptr<DebugMachine>> seen;
    while (!session->Now.Cpu.Halted) {
        seen.push_back(std::make_unique<DebugMachine>(session->Now));
        Type(*session, "step");
    }
    ASSERT_GT(seen.size(), 20u);
    for (std::size_t i = seen.size(); i-- > 0;) {
        Type(*session, "reverse-step");
        ExpectSameMachine(session->Now, *seen[i], "step " + std::to_string(i));
    }
}

// A loop of about 3.5 million instructions: the history holds several copies.
const std::vector<std::uint8_t> _LongLoop = {
    0x21, 0x00, 0x00, // 2000 LXI H, 0
    0x06, 0x12,       // 2003 MVI B, 12H
    0x2B,             // 2005 L: DCX H
    0x7C,             // 2006 MOV A, H
    0xB5,             // 2007 ORA L
    0x32, 0x50, 0x20, // 2008 STA 2050H
    0xC2, 0x05, 0x20, // 200B JNZ L
    0x05,             // 200E DCR B
    0xC2, 0x05, 0x20, // 200F JNZ L
    0x76,             // 2012 HLT
};

TEST(DebugSession, GoingBackAcrossCopiesOfTheMachineRestoresIt)
{
    auto session = MakeSession(_LongLoop);
    const std::uint64_t moments[] = {999999, 1000000, 1000001, 2345678, 3000000};
    std::vector<std::unique_ptr<DebugMachine>> seen;
    for (std::uint64_t moment : moments) {
        Type(*session, "step " + std::to_string(moment - CountSteps(session->Now)));
        seen.push_back(std::make_unique<DebugMachine>(session->Now));
    }
    Type(*session, "continue");
    ASSERT_TRUE(session->Now.Cpu.Halted);
    ASSERT_GT(session->History.Snapshots.size(), 3u);
    for (std::size_t i = std::size(moments); i-- > 0;) {
        Type(*session, "reverse-step " + std::to_string(CountSteps(session->Now) - moments[i]));
        ExpectSameMachine(session->Now, *seen[i], "moment " + std::to_string(moments[i]));
    }
}

TEST(DebugSession, WhatFallsOutOfTheHistoryIsSaidOnce)
{
    auto session = MakeSession(_LongLoop);
    session->History.HistoryBytes = 3 * sizeof(DebugMachine);
    const std::string said = Type(*session, "continue");
    EXPECT_NE(said.find("history holds the last 2000000 instructions\n"), std::string::npos) << said;
    EXPECT_EQ(said.find("history holds", said.find("history holds") + 1), std::string::npos) << said;
    EXPECT_EQ(session->History.Snapshots.size(), 3u);
    const std::uint64_t oldest = FindOldestTime(*session);
    EXPECT_GT(oldest, 0u);

    EXPECT_NE(Type(*session, "reverse-continue").find("start of history"), std::string::npos);
    EXPECT_EQ(CountSteps(session->Now), oldest);
}

TEST(DebugSession, ASetBackInTheHistoryDiscardsWhatCameAfter)
{
    auto session = MakeProgramSession();
    Type(*session, "step 10");
    Type(*session, "reverse-step 4");
    EXPECT_EQ(Type(*session, "set B = 9"), "the history after this point is discarded\n");
    Type(*session, "step");
    EXPECT_EQ(Type(*session, "print B"), "B = 09H (9)\n");
    Type(*session, "reverse-step");
    EXPECT_EQ(Type(*session, "print B"), "B = 09H (9)\n") << "the set stays at its moment";
    Type(*session, "reverse-step");
    EXPECT_NE(Type(*session, "print B"), "B = 09H (9)\n") << "before the set, B was as it was";
}

TEST(DebugSession, ARefusedCommandChangesNothing)
{
    auto session = MakeProgramSession();
    Type(*session, "step 5");
    const auto before = std::make_unique<DebugMachine>(session->Now);
    const std::size_t copies = session->History.Snapshots.size();
    const char* const bad[] = {
        "jump 2000H",
        "step -1",
        "step x",
        "set Q = 1",
        "set A = 256",
        "set [10000H] = 1",
        "break 12",
        "break NOWHERE",
        "watch",
        "watch 2050H-2040H",
        "print [2050H",
        "print 12Z",
        "x",
        "input 10H",
        "input 100H = 1",
        "interrupt RST9",
        "delete 99",
        "info frames",
        "help jump",
        "finish now",
        "list 5",
        "print A +",
        "break 2000H if",
        "run again",
        "disassemble Q",
    };
    for (const char* command : bad) {
        const CommandResult result = RunDebugCommand(*session, command);
        EXPECT_TRUE(result.Refused) << command;
        EXPECT_EQ(std::count(result.Text.begin(), result.Text.end(), '\n'), 1) << command << ": " << result.Text;
    }
    ExpectSameMachine(session->Now, *before, "after the refused commands");
    EXPECT_EQ(session->History.Snapshots.size(), copies);
    EXPECT_TRUE(session->Stops.Breaks.empty());
}

struct ExpressionRow {
    const char* Command;
    const char* Answer;
};

TEST(DebugSession, PrintReadsRegistersPairsFlagsMemoryAndSums)
{
    auto session = MakeProgramSession();
    Type(*session, "set HL = 2050H");
    Type(*session, "set [2050H] = 37H");
    Type(*session, "set [2051H] = 200");
    Type(*session, "set B = 0AH");
    Type(*session, "set CY = 1");
    const ExpressionRow rows[] = {
        {"print B", "B = 0AH (10)\n"},
        {"p HL", "HL = 2050H (8272)\n"},
        {"print [2050H]", "[2050H] = 37H (55)\n"},
        {"print M", "M = 37H (55)\n"},
        {"print [HL+1]", "[HL+1] = 0C8H (200)\n"},
        {"print CY", "CY = 1\n"},
        {"print HL - 2050H + B", "HL - 2050H + B = 000AH (10)\n"},
        {"print B == 10", "B == 10 = 1\n"},
        {"print [2050H] > 55", "[2050H] > 55 = 0\n"},
        {"print 0x1F", "0x1F = 1FH (31)\n"},
    };
    for (const ExpressionRow& row : rows)
        EXPECT_EQ(Type(*session, row.Command), row.Answer) << row.Command;
}

TEST(DebugSession, AConditionalBreakpointStopsOnlyWhenItsConditionHolds)
{
    auto session = MakeProgramSession();
    Type(*session, "break 2018H if B == 1");
    const std::string said = Type(*session, "continue");
    EXPECT_EQ(said.substr(0, said.find('\n')), "breakpoint 1, 2018H");
    EXPECT_EQ(session->Now.Cpu.B, 1);
    EXPECT_EQ(session->Stops.Breaks[0].Hits, 1);
}

TEST(DebugSession, ConsoleOutputIsShownOnceThoughTheMachineRunsItAgain)
{
    const std::vector<std::uint8_t> hello = {
        0x3E, 'h', 0xD3, 0x01, // MVI A, 'h'; OUT 1
        0x3E, 'i', 0xD3, 0x01, // MVI A, 'i'; OUT 1
        0x76,                  // HLT
    };
    MachineOptions options;
    options.ConsolePort = 1;
    auto session = MakeSession(hello, options);
    EXPECT_EQ(Type(*session, "step 2").substr(0, 2), "h\n");
    Type(*session, "reverse-step 2");
    EXPECT_EQ(Type(*session, "step 2").substr(0, 5), "2004:");
    EXPECT_EQ(Type(*session, "step 2").substr(0, 2), "i\n");
}

TEST(DebugSession, AnEmptyLineRepeatsTheLastCommand)
{
    auto session = MakeProgramSession();
    Type(*session, "step 2");
    Type(*session, "");
    EXPECT_EQ(CountSteps(session->Now), 4u);
}

} // namespace
