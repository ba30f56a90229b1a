#include "Simulation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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
