#include "Simulation.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// 0000: LXI SP,3000H  MVI A,08H  SIM  EI  HLT  HLT; the TRAP routine at
// 0024H: RET; the RST 7.5 routine at 003CH: EI  RET.
void LoadInterruptProgram(CpuState& cpu)
{
    ResetCpu(cpu, CpuModel::I8085);
    const std::uint8_t program[] = {0x31, 0x00, 0x30, 0x3E, 0x08, 0x30, 0xFB, 0x76, 0x76};
    std::memcpy(cpu.Memory, program, sizeof program);
    cpu.Memory[0x24] = 0xC9;
    cpu.Memory[0x3C] = 0xFB;
    cpu.Memory[0x3D] = 0xC9;
}

std::string RunWithTrace(CpuState& cpu, SimulationSetup setup, StopReason& stop)
{
    char* text = nullptr;
    std::size_t size = 0;
    setup.Trace = open_memstream(&text, &size);
    stop = RunSimulation(cpu, setup);
    std::fclose(setup.Trace);
    std::string trace(text, size);
    std::free(text);
    return trace;
}

TEST(RunSimulation, WhenTheRunEnds)
{
    struct Row {
        const char* Name;
        std::vector<InterruptEvent> Events;
        std::uint64_t MaxSteps;
        StopReason Stop;
        std::uint64_t Instructions;
    } rows[] = {
        {"halted with no event: halt", {}, 0, StopReason::Halt, 5},
        // halted before step 100: the event is raised at once; the routine
        // returns to the second HLT
        {"halted with an event to come", {{100, InterruptSource::Rst75, 0}}, 0, StopReason::Halt, 9},
        // TRAP taken as step 3, its RET back to the SIM
        {"event on time", {{3, InterruptSource::Trap, 0}}, 0, StopReason::Halt, 7},
        {"HLT as the last step allowed", {}, 5, StopReason::Halt, 5},
        {"HLT at the limit with an event to come", {{100, InterruptSource::Rst75, 0}}, 5, StopReason::StepLimit, 5},
        {"limit before the HLT", {}, 4, StopReason::StepLimit, 4},
    };
    for (const Row& row : rows) {
        static CpuState cpu;
        LoadInterruptProgram(cpu);
        SimulationSetup setup;
        setup.Interrupts = row.Events;
        setup.MaxSteps = row.MaxSteps;
        EXPECT_EQ(RunSimulation(cpu, setup), row.Stop) << row.Name;
        EXPECT_EQ(cpu.Instructions, row.Instructions) << row.Name;
    }
}

TEST(RunSimulation, TraceShowsInterruptsTaken)
{
    static CpuState cpu;
    LoadInterruptProgram(cpu);
    SimulationSetup setup;
    setup.Interrupts = {{100, InterruptSource::Rst75, 0}};
    StopReason stop;
    const std::string trace = RunWithTrace(cpu, setup, stop);
    EXPECT_EQ(stop, StopReason::Halt);
    const char* const flags = " B=00 C=00 D=00 E=00 H=00 L=00 SP=";
    EXPECT_EQ(trace, std::string("1 0000: 31 00 30  LXI SP, 3000H   A=00") + flags + "3000 S=0 Z=0 AC=0 P=0 CY=0\n" +
                         "2 0003: 3E 08     MVI A, 08H      A=08" + flags + "3000 S=0 Z=0 AC=0 P=0 CY=0\n" +
                         "3 0005: 30        SIM             A=08" + flags + "3000 S=0 Z=0 AC=0 P=0 CY=0\n" +
                         "4 0006: FB        EI              A=08" + flags + "3000 S=0 Z=0 AC=0 P=0 CY=0\n" +
                         "5 0007: 76        HLT             A=08" + flags + "3000 S=0 Z=0 AC=0 P=0 CY=0\n" +
                         "6 0008:           INT RST 7.5     A=08" + flags + "2FFE S=0 Z=0 AC=0 P=0 CY=0\n" +
                         "7 003C: FB        EI              A=08" + flags + "2FFE S=0 Z=0 AC=0 P=0 CY=0\n" +
                         "8 003D: C9        RET             A=08" + flags + "3000 S=0 Z=0 AC=0 P=0 CY=0\n" +
                         "9 0008: 76        HLT             A=08" + flags + "3000 S=0 Z=0 AC=0 P=0 CY=0\n");
}

TEST(RunSimulation, TraceLeavesOutTheCpmTraps)
{
    static CpuState cpu;
    ResetCpu(cpu, CpuModel::I8080);
    const std::uint8_t program[] = {0x0E, 0x02, 0x1E, 0x41, 0xCD, 0x05, 0x00, 0xC9}; // MVI C,2  MVI E,'A'  CALL 5  RET
    std::memcpy(cpu.Memory + 0x100, program, sizeof program);
    SetUpCpm(cpu);
    cpu.PC = 0x100;
    SimulationSetup setup;
    setup.Cpm = true;
    StopReason stop;
    const std::string trace = RunWithTrace(cpu, setup, stop);
    EXPECT_EQ(stop, StopReason::CpmExit);
    std::string addresses;
    for (std::size_t at = 0; at < trace.size(); at = trace.find('\n', at) + 1)
        addresses += trace.substr(trace.find(' ', at) + 1, 5);
    EXPECT_EQ(addresses, "0100:0102:0104:0005:FE01:0107:0000:"); // no HLT at FE00H or FE83H
}

} // namespace

namespace {

// The debugger's stretches of a run: each stops where the setup asks.
TEST(RunSimulation, StretchesStopWhereTheDebuggerAsks)
{
    struct Row {
        const char* Name;
        std::uint64_t Until;
        int Mark;          // address marked in Breaks, -1: no Breaks
        bool BreakAtStart; // a mark at the first instruction counts
        bool StopRequest;
        StopReason Stop;
        std::uint64_t Instructions;
        std::uint16_t Pc;
    } rows[] = {
        {"until step 3", 3, -1, false, false, StopReason::Reached, 3, 0x0006},
        {"until a step past the halt", 100, -1, false, false, StopReason::Halt, 5, 0x0008},
        {"a mark", UINT64_MAX, 0x0006, false, false, StopReason::Break, 3, 0x0006},
        {"a mark at the start is passed", UINT64_MAX, 0x0000, false, false, StopReason::Halt, 5, 0x0008},
        {"unless it counts", UINT64_MAX, 0x0000, true, false, StopReason::Break, 0, 0x0000},
        {"the step before the mark reaches until first", 2, 0x0006, false, false, StopReason::Reached, 2, 0x0005},
        // PC is past the HLT at 0007H: a halted processor is before no
        // instruction, and the machine says it halted.
        {"a mark after the HLT", UINT64_MAX, 0x0008, false, false, StopReason::Halt, 5, 0x0008},
        {"asked to stop", UINT64_MAX, -1, false, true, StopReason::Interrupted, 0, 0x0000},
    };
    for (const Row& row : rows) {
        static CpuState cpu;
        LoadInterruptProgram(cpu);
        static std::uint8_t marks[65536];
        std::memset(marks, 0, sizeof marks);
        const volatile std::sig_atomic_t request = row.StopRequest ? 1 : 0;
        SimulationSetup setup;
        setup.Until = row.Until;
        if (row.Mark >= 0) {
            marks[row.Mark] = 1;
            setup.Breaks = marks;
        }
        setup.BreakAtStart = row.BreakAtStart;
        setup.StopRequest = &request;
        RunProgress progress;
        EXPECT_EQ(RunSimulation(cpu, setup, progress), row.Stop) << row.Name;
        EXPECT_EQ(cpu.Instructions, row.Instructions) << row.Name;
        EXPECT_EQ(cpu.PC, row.Pc) << row.Name;
    }
}

// A run in stretches of one step, its progress carried from each to the
// next, ends as the whole run does: the same events taken at the same steps.
TEST(RunSimulation, StretchesAddUpToTheWholeRun)
{
    const std::vector<std::vector<InterruptEvent>> eventLists = {
        {},
        {{3, InterruptSource::Trap, 0}},
        {{100, InterruptSource::Rst75, 0}},
        {{3, InterruptSource::Trap, 0}, {7, InterruptSource::Rst75, 0}},
    };
    for (const auto& events : eventLists) {
        static CpuState whole, pieces;
        LoadInterruptProgram(whole);
        LoadInterruptProgram(pieces);
        SimulationSetup setup;
        setup.Interrupts = events;
        const StopReason end = RunSimulation(whole, setup);
        RunProgress progress;
        StopReason stop = StopReason::Reached;
        for (int stretch = 0; stretch < 100 && stop == StopReason::Reached; ++stretch) {
            setup.Until = CountRunSteps(pieces, progress) + 1;
            stop = RunSimulation(pieces, setup, progress);
        }
        EXPECT_EQ(stop, end) << events.size() << " events";
        EXPECT_EQ(pieces.Instructions, whole.Instructions) << events.size() << " events";
        EXPECT_EQ(pieces.States, whole.States) << events.size() << " events";
        EXPECT_EQ(pieces.PC, whole.PC) << events.size() << " events";
        EXPECT_EQ(pieces.SP, whole.SP) << events.size() << " events";
        EXPECT_EQ(progress.NextEvent, events.size());
    }
}

TEST(FindStopAddress, IsTheHltWhileHalted)
{
    static CpuState cpu;
    LoadInterruptProgram(cpu);
    EXPECT_EQ(FindStopAddress(cpu), 0x0000);
    SimulationSetup setup;
    EXPECT_EQ(RunSimulation(cpu, setup), StopReason::Halt);
    EXPECT_EQ(cpu.PC, 0x0008);
    EXPECT_EQ(FindStopAddress(cpu), 0x0007);
    // Halted, but not after a HLT (a state set by hand): PC.
    cpu.Memory[0x0007] = 0x00;
    EXPECT_EQ(FindStopAddress(cpu), 0x0008);
}

} // namespace
