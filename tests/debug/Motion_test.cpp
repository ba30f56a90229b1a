// Moving over and out of subroutines, forwards and back; watchpoints on
// ranges; locations through a source map.
#include "DebugSession.h"

#include <gtest/gtest.h>

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

} // namespace
