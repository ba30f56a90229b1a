// The machine with a kit: RunSimulation hands the run to the kit's loop,
// which clocks the chips, wakes a halt by their interrupts, serves the
// monitor and stops at what the kit lacks.
#include "KitMachine.h"
#include "Simulation.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

namespace {

struct KitRun {
    CpuState Cpu;
    PortState Ports;
    KitMachine Machine;
    SimulationSetup Setup;
    std::string Error;
};

std::unique_ptr<KitRun> Load(MachineOptions options, std::uint16_t at, std::initializer_list<std::uint8_t> bytes)
{
    auto run = std::make_unique<KitRun>();
    ResetCpu(run->Cpu, CpuModel::I8085);
    std::uint16_t address = at;
    for (std::uint8_t byte : bytes)
        run->Cpu.Memory[address++] = byte;
    run->Cpu.PC = at;
    run->Error = SetUpKitMachine(run->Machine, options, run->Ports.Devices);
    run->Cpu.Io = MakeIoPorts(run->Ports);
    run->Setup.MaxSteps = 10000;
    run->Setup.Kit = &run->Machine;
    return run;
}

MachineOptions Kit(const char* name)
{
    MachineOptions options;
    options.Kit = name;
    return options;
}

// The SDK-85's 8155 timer, clocked by the processor's clock, is wired to
// TRAP: it ends a HLT, and the TRAP's vector (here RST 1) ends the run.
TEST(KitMachine, TimerInterruptEndsAHalt)
{
    auto run = Load(Kit("sdk85"), 0x2000,
                    {
                        0x31, 0xC0, 0x20, // LXI SP,20C0H
                        0x3E, 0x40,       // MVI A,40H     ; 64 counts
                        0xD3, 0x24,       // OUT 24H
                        0x3E, 0x40,       // MVI A,40H     ; continuous square wave
                        0xD3, 0x25,       // OUT 25H
                        0x3E, 0xC0,       // MVI A,0C0H    ; START
                        0xD3, 0x20,       // OUT 20H
                        0x76,             // HLT
                    });
    ASSERT_EQ(run->Error, "");
    run->Cpu.Memory[0x0024] = 0xCF; // RST 1 at the TRAP vector
    EXPECT_EQ(RunSimulation(run->Cpu, run->Setup), StopReason::KitReturn);
    EXPECT_EQ(run->Cpu.LastInterrupt.Source, InterruptSource::Trap);
}

// A call on a condition that is not taken stores nothing, so its push
// outside the kit's memory is no fault; a PUSH there is, naming the address.
TEST(KitMachine, StoreOutsideMemoryIsAFaultOnlyWhenItHappens)
{
    auto run = Load(Kit("sdk85"), 0x2000,
                    {
                        0xAF,             // XRA A          ; Z set
                        0xC4, 0x00, 0x21, // CNZ 2100H      ; not taken
                        0xF5,             // PUSH PSW       ; SP 0000H: FFFEH
                    });
    EXPECT_EQ(RunSimulation(run->Cpu, run->Setup), StopReason::KitFault);
    EXPECT_EQ(run->Machine.Fault, KitFaultKind::NoMemory);
    EXPECT_EQ(run->Machine.FaultAddress, 0xFFFE);
    EXPECT_EQ(run->Cpu.Instructions, 3u);
    EXPECT_EQ(
        DescribeKitEnd(run->Machine, StopReason::KitFault),
        "a store to FFFEH at 2004H: the sdk85 has no memory or chip at FFFEH (its RAM: 2000H-20FFH, 2800H-28FFH)");
}

// A timed key is pressed before its step; while the monitor waits with no
// other key left, the next timed key comes at once.
TEST(KitMachine, TimedKeys)
{
    MachineOptions options = Kit("sdk85");
    options.Keys = {{"9", 0}, {"4", 5}};
    auto run = Load(options, 0x2000,
                    {
                        0x31, 0xC0, 0x20, // LXI SP,20C0H
                        0xCD, 0xE7, 0x02, // CALL RDKBD     ; 9, untimed
                        0x47,             // MOV B,A
                        0xCD, 0xE7, 0x02, // CALL RDKBD     ; 4, pressed before step 5, where the routine is
                        0xCF,             // RST 1
                    });
    ASSERT_EQ(run->Error, "");
    EXPECT_EQ(RunSimulation(run->Cpu, run->Setup), StopReason::KitReturn);
    EXPECT_EQ(run->Cpu.B, 0x09);
    EXPECT_EQ(run->Cpu.A, 0x04);

    MachineOptions later = Kit("sdk85");
    later.Keys = {{"4", 100}};
    auto early = Load(later, 0x2000, {0x31, 0xC0, 0x20, 0xCD, 0xE7, 0x02, 0xCF});
    EXPECT_EQ(RunSimulation(early->Cpu, early->Setup), StopReason::KitReturn);
    EXPECT_EQ(early->Cpu.A, 0x04);

    auto waits = Load(Kit("sdk85"), 0x2000, {0x31, 0xC0, 0x20, 0xCD, 0xE7, 0x02, 0xCF});
    EXPECT_EQ(RunSimulation(waits->Cpu, waits->Setup), StopReason::KitWaitingKey);
    EXPECT_EQ(waits->Cpu.PC, 0x02E7);
}

// The kit answers at every port but those --input gives a value; OUT is
// logged at each, for the report.
TEST(KitMachine, PortsBesideTheKit)
{
    MachineOptions options = Kit("sdk85");
    options.Inputs = {{0x30, 0x77}};
    auto run = Load(options, 0x2000,
                    {
                        0xDB, 0x30, // IN 30H          ; --input
                        0xD3, 0x21, // OUT 21H         ; the 8155's port A
                        0xD3, 0x31, // OUT 31H         ; nothing there
                    });
    SetUpPorts(run->Ports, options, nullptr, nullptr);
    EXPECT_EQ(RunSimulation(run->Cpu, run->Setup), StopReason::KitFault);
    EXPECT_EQ(run->Cpu.A, 0x77);
    EXPECT_TRUE(run->Ports.Log.Written[0x21]);
    EXPECT_EQ(DescribeKitEnd(run->Machine, StopReason::KitFault),
              "OUT 31H at 2004H: the sdk85 has no chip at port 31H");
}

// A program that polls the 8279's status gets a key without a time at
// once, and a timed one only at its step.
TEST(KitMachine, PolledKeys)
{
    for (const KitKeyPress& key : {KitKeyPress{"5", 0}, KitKeyPress{"5", 20}}) {
        MachineOptions options = Kit("sdk85");
        options.Keys = {key};
        auto run = Load(options, 0x2000,
                        {
                            0x3A, 0x00, 0x19, // WAIT: LDA 1900H ; the FIFO's count
                            0xE6, 0x07,       // ANI 07H
                            0xCA, 0x00, 0x20, // JZ WAIT
                            0x31, 0xC0, 0x20, // LXI SP,20C0H
                            0xCF,             // RST 1
                        });
        EXPECT_EQ(RunSimulation(run->Cpu, run->Setup), StopReason::KitReturn);
        // Timed: the LDA of step 19 finds none; the key comes before step 20, the
        // LDA of step 22 finds it; ANI, JZ, LXI and RST make 26.
        EXPECT_EQ(run->Cpu.Instructions, key.Step == 0 ? 5u : 26u) << key.Step;
    }
}

TEST(KitMachine, SetUpErrors)
{
    EXPECT_EQ(Load(Kit("sdk86"), 0x2000, {})->Error, "--kit: 'sdk86' is no kit profile (sdk85, dyna85, als85)");
    MachineOptions keys = Kit("sdk85");
    keys.Keys = {{"VI", 0}};
    EXPECT_EQ(Load(keys, 0x2000, {})->Error, "--keys: the sdk85 has no key 'VI'");
    MachineOptions board = Kit("sdk85");
    board.Boards = {{BoardKind::Dac, "8255", 0, -1, 0}};
    EXPECT_EQ(Load(board, 0x2000, {})->Error, "--board: the sdk85 has no port A on a chip named 8255");
    MachineOptions probe = Kit("sdk85");
    probe.Probes = {{"8253", 0}};
    EXPECT_EQ(Load(probe, 0x2000, {})->Error, "--probe: the sdk85 has no output 0 on a chip named 8253");
}

} // namespace
