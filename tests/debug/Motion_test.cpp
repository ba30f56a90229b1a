// Moving over and out of subroutines, forwards and back; watchpoints on
// ranges; locations through a source map.
#include "DebugSession.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// 2000 LXI SP, 3000H; CALL SUB; CNZ SUB (not taken: Z set by SUB); RST 1;
// NOP; HLT. SUB (2010): XRA A; RET. RST 1 (0008): INR C; RET.
std::unique_ptr<DebugSession> MakeCallSession()
{
    auto first = std::make_unique<CpuState>();
    ResetCpu(*first, CpuModel::I8085);
    const std::uint8_t main[] = {0x31, 0x00, 0x30, 0xCD, 0x10, 0x20, 0xC4, 0x10, 0x20, 0xCF, 0x00, 0x76};
    const std::uint8_t sub[] = {0xAF, 0xC9};
    const std::uint8_t rst1[] = {0x0C, 0xC9};
    std::memcpy(first->Memory + 0x2000, main, sizeof main);
    std::memcpy(first->Memory + 0x2010, sub, sizeof sub);
    std::memcpy(first->Memory + 0x0008, rst1, sizeof rst1);
    first->PC = 0x2000;
    auto session = std::make_unique<DebugSession>();
    LoadDebugSession(*session, *first, MachineOptions{});
    return session;
}

struct MotionRow {
    const char* Setup; // commands before, ";"-separated
    const char* Command;
    std::uint16_t Pc;   // where it stops
    std::uint64_t Time; // after how many steps
};

std::vector<std::string> Split(const std::string& text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find(';', start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return parts;
}

TEST(Motion, OverIntoOutOfAndBackAcrossCalls)
{
    // Steps: 0 LXI, 1 CALL, 2 XRA, 3 RET, 4 CNZ, 5 RST 1, 6 INR C, 7 RET, 8 NOP, 9 HLT.
    const MotionRow rows[] = {
        {"step", "next", 0x2006, 4},                 // over CALL SUB
        {"step 4", "next", 0x2009, 5},               // CNZ not taken: one step
        {"step 5", "next", 0x200A, 8},               // over RST 1
        {"step", "step", 0x2010, 2},                 // step goes into SUB
        {"step 2", "finish", 0x2006, 4},             // out of SUB to after the CALL
        {"step 4", "reverse-next", 0x2003, 1},       // back over the whole call to the CALL
        {"step 3", "reverse-finish", 0x2003, 1},     // from inside SUB back to its CALL
        {"step 2", "reverse-next", 0x2003, 1},       // at SUB's first instruction: back to the CALL
        {"step 8", "reverse-step 2", 0x0008, 6},     // back into the RST handler
        {"continue", "reverse-continue", 0x2000, 0}, // no breakpoint: the start
        {"break 2010H;continue;c", "rc", 0x2010, 2}, // SUB's one entry, from the end
        {"tbreak 0008H;continue", "info breakpoints", 0x0008, 6},
        // Every motion of more than one step stops at a breakpoint or a
        // watched change on its way, as gdb's do.
        {"break 2006H", "next 3", 0x2006, 4},                   // between next's steps
        {"step 8;break 2010H", "reverse-step 8", 0x2010, 2},    // between reverse-step's
        {"step 8;watch C", "reverse-step 8", 0x0008, 6},        // before INR C changed C
        {"step 4;break 2010H", "reverse-next", 0x2010, 2},      // inside the call gone back over
        {"step 8;watch C", "reverse-next", 0x0008, 6},          // inside RST 1 gone back over
        {"step 7;break 0008H", "reverse-finish", 0x0008, 6},    // on the way to the RST
        {"step 9;break 2010H", "reverse-finish", 0x2010, 2},    // outermost: on the way to the start
        {"step 9;watch C", "reverse-continue", 0x0008, 6},      // a watched change, searched back
        {"step 9;break 2006H", "reverse-step 3", 0x0008, 6},      // the breakpoint is not on the way
    };
    for (const MotionRow& row : rows) {
        auto session = MakeCallSession();
        for (const std::string& command : Split(row.Setup))
            ASSERT_FALSE(RunDebugCommand(*session, command).Refused) << row.Setup;
        const CommandResult result = RunDebugCommand(*session, row.Command);
        EXPECT_FALSE(result.Refused) << row.Command << ": " << result.Text;
        EXPECT_EQ(session->Now.Cpu.PC, row.Pc) << row.Setup << " / " << row.Command << ": " << result.Text;
        EXPECT_EQ(CountSteps(session->Now), row.Time) << row.Setup << " / " << row.Command;
    }
}

// Going back exactly to the first state is a plain stop; one step further
// is the start of the history.
TEST(Motion, TheFirstStateReachedExactlyIsNotTheStartOfHistory)
{
    const struct {
        const char* Back;
        const char* Says;
    } rows[] = {
        {"reverse-step 3", ""},
        {"reverse-step 4", "start of history\n"},
        {"reverse-step 1000", "start of history\n"},
    };
    for (const auto& row : rows) {
        auto session = MakeCallSession();
        ASSERT_FALSE(RunDebugCommand(*session, "step 3").Refused);
        const std::string said = RunDebugCommand(*session, row.Back).Text;
        EXPECT_EQ(CountSteps(session->Now), 0u) << row.Back;
        EXPECT_EQ(said.substr(0, said.find('\n') + 1) == "start of history\n", *row.Says != '\0')
            << row.Back << ": " << said;
    }
}

// A Ctrl-C already pending stops a search of the history at once: the
// machine stays where it was and says it was interrupted.
TEST(Motion, AStopRequestStopsGoingBack)
{
    for (const char* back : {"reverse-continue", "reverse-finish", "reverse-step 5"}) {
        auto session = MakeCallSession();
        ASSERT_FALSE(RunDebugCommand(*session, "step 9").Refused);
        ASSERT_FALSE(RunDebugCommand(*session, "watch C").Refused);
        volatile std::sig_atomic_t requested = 1;
        session->StopRequest = &requested;
        const std::string said = RunDebugCommand(*session, back).Text;
        EXPECT_EQ(said.substr(0, said.find('\n')), "interrupted") << back;
        EXPECT_EQ(CountSteps(session->Now), 9u) << back;
    }
}

// Forwards, step N and next N take their first step and stop after it.
TEST(Motion, AStopRequestStopsStepsBetweenThem)
{
    for (const char* forward : {"step 5", "next 5"}) {
        auto session = MakeCallSession();
        volatile std::sig_atomic_t requested = 1;
        session->StopRequest = &requested;
        const std::string said = RunDebugCommand(*session, forward).Text;
        EXPECT_EQ(said.substr(0, said.find('\n')), "interrupted") << forward;
        EXPECT_EQ(CountSteps(session->Now), 1u) << forward;
    }
}

TEST(Motion, AWatchedRangeNamesTheByteThatChanged)
{
    auto session = MakeCallSession();
    RunDebugCommand(*session, "watch 2FFCH-2FFFH");
    const std::string said = RunDebugCommand(*session, "continue").Text;
    EXPECT_EQ(said.substr(0, said.find('\n')), "watchpoint 1: [2FFEH] 00 -> 06") << said;
    EXPECT_EQ(session->Now.Cpu.PC, 0x2010);
}

// A map of three source lines: a label, a line without code, an instruction.
TEST(Motion, LocationsThroughTheSourceMap)
{
    auto session = MakeCallSession();
    SourceMap map;
    map.SourceName = "calls.asm";
    map.SourceLines = {"START: LXI SP, 3000H", "; nothing here", "       CALL SUB", "SUB:   XRA A"};
    map.Records = {{1, 1, 0x2000, 3, false}, {2, 3, 0x2003, 3, false}, {3, 4, 0x2010, 1, false}};
    map.Labels = {{"START", 0x2000}, {"SUB", 0x2010}};
    SetDebugSourceMap(*session, map);
    const struct {
        const char* Command;
        const char* Answer;
    } rows[] = {
        {"break SUB", "breakpoint 1 at SUB (calls.asm:4)\n"},
        {"break 2", "breakpoint 2 at 2003H (calls.asm:3)\n"},
        {"break calls.asm:1", "breakpoint 3 at START (calls.asm:1)\n"},
        {"break sub+0", "breakpoint 4 at SUB (calls.asm:4)\n"},
        {"break other.asm:1", "no source named 'other.asm'\n"},
        {"break 9", "no instruction on line 9 or after it\n"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(RunDebugCommand(*session, row.Command).Text, row.Answer) << row.Command;
    EXPECT_EQ(RunDebugCommand(*session, "step").Text,
              "calls.asm:3:        CALL SUB\n"
              "PC=2003 SP=3000 A=00 B=00 C=00 D=00 E=00 H=00 L=00 S=0 Z=0 AC=0 P=0 CY=0\n");
}

// The subroutine every call below reaches: INR B; RET, at 2010H, at each
// restart vector (0000H, 0008H, ... 0038H), and at RSTV's 0040H.
std::unique_ptr<DebugSession> MakeTransferSession(CpuModel model, const std::uint8_t code[3], std::uint8_t flags)
{
    auto first = std::make_unique<CpuState>();
    ResetCpu(*first, model);
    std::memcpy(first->Memory + 0x2003, code, 3);
    first->Memory[0x2006] = 0x76; // HLT
    for (const std::uint16_t entry : {0x2010, 0x00, 0x08, 0x10, 0x18, 0x20, 0x28, 0x30, 0x38, 0x40}) {
        first->Memory[entry] = 0x04;     // INR B
        first->Memory[entry + 1] = 0xC9; // RET
    }
    first->PC = 0x2003;
    first->SP = 0x3000;
    first->F = flags;
    MachineOptions options;
    options.Model = model;
    auto session = std::make_unique<DebugSession>();
    LoadDebugSession(*session, *first, options);
    return session;
}

struct TransferRow {
    CpuModel Cpu;
    const char* Name;
    std::uint8_t Opcode;
    std::uint8_t Flags; // F before it
    std::uint16_t Pc;   // where the command stops
    std::uint64_t Steps;
    std::uint8_t B; // 1 when the subroutine ran
};

constexpr CpuModel _8080 = CpuModel::I8080;
constexpr CpuModel _8085 = CpuModel::I8085;

// next on a call (at 2003H, to 2010H): taken, it runs the whole subroutine
// and stops after the call; not taken, it is one step. F: S 80H, Z 40H,
// P 04H, V 02H, CY 01H.
TEST(Motion, NextRunsOverEveryCallTakenAndStepsPastOneNotTaken)
{
    const TransferRow rows[] = {
        {_8085, "CALL", 0xCD, 0x00, 0x2006, 3, 1},
        {_8085, "CNZ taken", 0xC4, 0x00, 0x2006, 3, 1},
        {_8085, "CNZ not taken", 0xC4, 0x40, 0x2006, 1, 0},
        {_8085, "CZ taken", 0xCC, 0x40, 0x2006, 3, 1},
        {_8085, "CZ not taken", 0xCC, 0x00, 0x2006, 1, 0},
        {_8085, "CNC taken", 0xD4, 0x00, 0x2006, 3, 1},
        {_8085, "CNC not taken", 0xD4, 0x01, 0x2006, 1, 0},
        {_8085, "CC taken", 0xDC, 0x01, 0x2006, 3, 1},
        {_8085, "CC not taken", 0xDC, 0x00, 0x2006, 1, 0},
        {_8085, "CPO taken", 0xE4, 0x00, 0x2006, 3, 1},
        {_8085, "CPO not taken", 0xE4, 0x04, 0x2006, 1, 0},
        {_8085, "CPE taken", 0xEC, 0x04, 0x2006, 3, 1},
        {_8085, "CPE not taken", 0xEC, 0x00, 0x2006, 1, 0},
        {_8085, "CP taken", 0xF4, 0x00, 0x2006, 3, 1},
        {_8085, "CP not taken", 0xF4, 0x80, 0x2006, 1, 0},
        {_8085, "CM taken", 0xFC, 0x80, 0x2006, 3, 1},
        {_8085, "CM not taken", 0xFC, 0x00, 0x2006, 1, 0},
        {_8080, "8080 CALL", 0xCD, 0x00, 0x2006, 3, 1},
        {_8080, "8080 CZ taken", 0xCC, 0x40, 0x2006, 3, 1},
        {_8080, "8080 CZ not taken", 0xCC, 0x00, 0x2006, 1, 0},
        {_8080, "8080 CALL at DDH", 0xDD, 0x00, 0x2006, 3, 1},
        {_8080, "8080 CALL at EDH", 0xED, 0x00, 0x2006, 3, 1},
        {_8080, "8080 CALL at FDH", 0xFD, 0x00, 0x2006, 3, 1},
        {_8085, "RST 0", 0xC7, 0x00, 0x2004, 3, 1},
        {_8085, "RST 1", 0xCF, 0x00, 0x2004, 3, 1},
        {_8085, "RST 2", 0xD7, 0x00, 0x2004, 3, 1},
        {_8085, "RST 3", 0xDF, 0x00, 0x2004, 3, 1},
        {_8085, "RST 4", 0xE7, 0x00, 0x2004, 3, 1},
        {_8085, "RST 5", 0xEF, 0x00, 0x2004, 3, 1},
        {_8085, "RST 6", 0xF7, 0x00, 0x2004, 3, 1},
        {_8085, "RST 7", 0xFF, 0x00, 0x2004, 3, 1},
        {_8080, "8080 RST 7", 0xFF, 0x00, 0x2004, 3, 1},
        {_8085, "RSTV taken", 0xCB, 0x02, 0x2004, 3, 1},
        {_8085, "RSTV not taken", 0xCB, 0x00, 0x2004, 1, 0},
        // Jumps are steps, even to a subroutine.
        {_8085, "JMP", 0xC3, 0x00, 0x2010, 1, 0},
        {_8085, "JNK taken", 0xDD, 0x00, 0x2010, 1, 0},
        {_8080, "8080 JMP at CBH", 0xCB, 0x00, 0x2010, 1, 0},
    };
    for (const TransferRow& row : rows) {
        const std::uint8_t code[3] = {row.Opcode, 0x10, 0x20};
        auto session = MakeTransferSession(row.Cpu, code, row.Flags);
        const CommandResult result = RunDebugCommand(*session, "next");
        EXPECT_FALSE(result.Refused) << row.Name;
        EXPECT_EQ(session->Now.Cpu.PC, row.Pc) << row.Name << ": " << result.Text;
        EXPECT_EQ(CountSteps(session->Now), row.Steps) << row.Name;
        EXPECT_EQ(session->Now.Cpu.B, row.B) << row.Name;
    }
}

// finish from a subroutine entered by CALL 2010H at 2003H, whose first
// instruction is the return: taken, finish stops after it; not taken, after
// the INR B and the RET that follow. next on the return steps once, back to
// 2006H when taken, on to 2011H when not.
TEST(Motion, FinishAndNextOnEveryReturnTakenAndNot)
{
    const TransferRow rows[] = {
        {_8085, "RET", 0xC9, 0x00, 0x2006, 2, 0},
        {_8085, "RNZ taken", 0xC0, 0x00, 0x2006, 2, 0},
        {_8085, "RNZ not taken", 0xC0, 0x40, 0x2006, 4, 1},
        {_8085, "RZ taken", 0xC8, 0x40, 0x2006, 2, 0},
        {_8085, "RZ not taken", 0xC8, 0x00, 0x2006, 4, 1},
        {_8085, "RNC taken", 0xD0, 0x00, 0x2006, 2, 0},
        {_8085, "RNC not taken", 0xD0, 0x01, 0x2006, 4, 1},
        {_8085, "RC taken", 0xD8, 0x01, 0x2006, 2, 0},
        {_8085, "RC not taken", 0xD8, 0x00, 0x2006, 4, 1},
        {_8085, "RPO taken", 0xE0, 0x00, 0x2006, 2, 0},
        {_8085, "RPO not taken", 0xE0, 0x04, 0x2006, 4, 1},
        {_8085, "RPE taken", 0xE8, 0x04, 0x2006, 2, 0},
        {_8085, "RPE not taken", 0xE8, 0x00, 0x2006, 4, 1},
        {_8085, "RP taken", 0xF0, 0x00, 0x2006, 2, 0},
        {_8085, "RP not taken", 0xF0, 0x80, 0x2006, 4, 1},
        {_8085, "RM taken", 0xF8, 0x80, 0x2006, 2, 0},
        {_8085, "RM not taken", 0xF8, 0x00, 0x2006, 4, 1},
        {_8080, "8080 RET", 0xC9, 0x00, 0x2006, 2, 0},
        {_8080, "8080 RC taken", 0xD8, 0x01, 0x2006, 2, 0},
        {_8080, "8080 RC not taken", 0xD8, 0x00, 0x2006, 4, 1},
        {_8080, "8080 RET at D9H", 0xD9, 0x00, 0x2006, 2, 0},
        {_8085, "SHLX at D9H: no return", 0xD9, 0x00, 0x2006, 4, 1},
    };
    for (const TransferRow& row : rows) {
        const std::uint8_t call[3] = {0xCD, 0x10, 0x20};
        for (const char* command : {"finish", "next"}) {
            auto session = MakeTransferSession(row.Cpu, call, row.Flags);
            session->Now.Cpu.Memory[0x2010] = row.Opcode;
            session->Now.Cpu.Memory[0x2011] = 0x04; // INR B
            session->Now.Cpu.Memory[0x2012] = 0xC9; // RET
            ASSERT_FALSE(RunDebugCommand(*session, "step").Refused);
            ASSERT_EQ(session->Now.Cpu.PC, 0x2010);
            const CommandResult result = RunDebugCommand(*session, command);
            EXPECT_FALSE(result.Refused) << row.Name;
            const bool next = std::string(command) == "next";
            const bool taken = row.Steps == 2;
            // next is one step: back to the caller, or on to INR B.
            const std::uint16_t pc = next && !taken ? 0x2011 : row.Pc;
            EXPECT_EQ(session->Now.Cpu.PC, pc) << command << " " << row.Name << ": " << result.Text;
            EXPECT_EQ(CountSteps(session->Now), next ? 2 : row.Steps) << command << " " << row.Name;
            EXPECT_EQ(session->Now.Cpu.B, next ? 0 : row.B) << command << " " << row.Name;
        }
    }
}

} // namespace
