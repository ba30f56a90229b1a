// Programs run on the core with a kit, through a driver loop of the kind the
// machine's run loop will have: IN and OUT reach the kit's ports, each
// instruction's T-states clock the kit, the kit drives the interrupt lines,
// and at a monitor entry point the kit performs the routine.
#include "Kit.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

namespace {

std::uint8_t KitIn(void* context, std::uint8_t port)
{
    std::uint8_t value = 0xFF;
    ReadKitPort(*static_cast<Kit*>(context), port, value);
    return value;
}

void KitOut(void* context, std::uint8_t port, std::uint8_t value)
{
    WriteKitPort(*static_cast<Kit*>(context), port, value);
}

struct Run {
    Kit TheKit;
    std::unique_ptr<CpuState> Cpu = std::make_unique<CpuState>();
    std::unique_ptr<std::uint8_t[]> Marks = std::make_unique<std::uint8_t[]>(65536);
    MonitorEvent Last = MonitorEvent::NotEntry;
};

std::unique_ptr<Run> Load(const char* kit, std::uint16_t at, std::initializer_list<std::uint8_t> bytes)
{
    auto run = std::make_unique<Run>();
    SetUpKit(run->TheKit, *FindKitProfile(kit));
    ResetCpu(*run->Cpu, CpuModel::I8085);
    run->Cpu->Io = IoPorts{KitIn, KitOut, &run->TheKit};
    MarkMonitorEntries(run->TheKit, run->Marks.get());
    std::uint16_t address = at;
    for (std::uint8_t byte : bytes)
        run->Cpu->Memory[address++] = byte;
    run->Cpu->PC = at;
    return run;
}

void Go(Run& run, int stepLimit)
{
    for (int step = 0; step < stepLimit; ++step) {
        if (run.Marks[run.Cpu->PC]) {
            run.Last = ServeMonitor(run.TheKit, *run.Cpu);
            if (run.Last != MonitorEvent::Served)
                return;
            continue;
        }
        const int states = StepCpu(*run.Cpu);
        ClockKit(run.TheKit, static_cast<std::uint64_t>(states));
        DriveKitInterrupts(run.TheKit, run.Cpu->Lines);
    }
}

// A count from 5 down to 1 on the data field through UPDDT, then RST 1.
TEST(KitRun, CountdownOnTheDisplayThroughTheMonitor)
{
    auto run = Load("sdk85", 0x2000,
                    {
                        0x31, 0xC0, 0x20, // LXI SP,20C0H
                        0x3E, 0x05,       // MVI A,05H
                        0xF5,             // LOOP: PUSH PSW
                        0xCD, 0x6E, 0x03, // CALL 036EH   ; UPDDT
                        0xF1,             // POP PSW
                        0x3D,             // DCR A
                        0xC2, 0x05, 0x20, // JNZ LOOP
                        0xCF,             // RST 1
                    });
    Go(*run, 100);
    EXPECT_EQ(run->Last, MonitorEvent::Returned);
    EXPECT_EQ(DescribeKitDisplay(run->TheKit), "     01");
    EXPECT_EQ(run->Cpu->SP, 0x20BE); // RST 1 pushed its return address
}

// A key read through RDKBD and shown through UPDDT; the run waits for it.
TEST(KitRun, KeyReadAndShown)
{
    auto run = Load("sdk85", 0x2000,
                    {
                        0x31, 0xC0, 0x20, // LXI SP,20C0H
                        0xCD, 0xE7, 0x02, // CALL 02E7H   ; RDKBD
                        0xCD, 0x6E, 0x03, // CALL 036EH   ; UPDDT
                        0xCF,             // RST 1
                    });
    Go(*run, 100);
    EXPECT_EQ(run->Last, MonitorEvent::WaitingKey);
    PressKitKey(run->TheKit, "B");
    Go(*run, 100);
    EXPECT_EQ(run->Last, MonitorEvent::Returned);
    EXPECT_EQ(DescribeKitDisplay(run->TheKit), "     0B");
}

// A staircase through the 8255 to the DAC: 00H, 40H, 80H, C0H, one step every
// 27 T-states (OUT 10, ADI 7, JNC taken 10).
TEST(KitRun, StaircaseThroughThe8255ToTheDac)
{
    auto run = Load("dyna85", 0x2000,
                    {
                        0x3E, 0x80,       // MVI A,80H    ; all ports output, mode 0
                        0xD3, 0x03,       // OUT 03H
                        0x3E, 0x00,       // MVI A,00H
                        0xD3, 0x00,       // STEP: OUT 00H
                        0xC6, 0x40,       // ADI 40H
                        0xD2, 0x06, 0x20, // JNC STEP
                        0xEF,             // RST 5
                    });
    ASSERT_TRUE(AttachBoard(run->TheKit, BoardKind::Dac, "8255", 0));
    Go(*run, 100);
    EXPECT_EQ(run->Last, MonitorEvent::Returned);
    const auto& samples = run->TheKit.Boards[0].State.Samples;
    ASSERT_EQ(samples.size(), 4u);
    const std::uint64_t states[] = {7, 51, 78, 105};
    const std::uint8_t values[] = {0x00, 0x40, 0x80, 0xC0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(samples[i].State, states[i]) << i;
        EXPECT_EQ(samples[i].Value, values[i]) << i;
    }
}

// A key pressed while the program waits in a loop raises RST 5.5 through the
// 8279's IRQ; the handler at 002CH (here RST 1) ends the run.
TEST(KitRun, KeyInterruptThroughThe8279)
{
    auto run = Load("sdk85", 0x2000,
                    {
                        0x31, 0xC0, 0x20, // LXI SP,20C0H
                        0x3E, 0x0E,       // MVI A,0EH    ; unmask RST 5.5 only
                        0x30,             // SIM
                        0xFB,             // EI
                        0xC3, 0x07, 0x20, // WAIT: JMP WAIT
                    });
    run->Cpu->Memory[0x002C] = 0xCF; // RST 1 at the RST 5.5 vector
    Go(*run, 50);
    EXPECT_EQ(run->Last, MonitorEvent::NotEntry);
    PressKitKey(run->TheKit, "3");
    Go(*run, 50);
    EXPECT_EQ(run->Last, MonitorEvent::Returned);
}

// The Dyna-85's VI key is wired to RST 7.5, not to the 8279.
TEST(KitRun, VectorInterruptKey)
{
    auto run = Load("dyna85", 0x2000,
                    {
                        0x31, 0x00, 0x30, // LXI SP,3000H
                        0x3E, 0x0B,       // MVI A,0BH    ; unmask RST 7.5 only
                        0x30,             // SIM
                        0xFB,             // EI
                        0xC3, 0x07, 0x20, // WAIT: JMP WAIT
                    });
    run->Cpu->Memory[0x003C] = 0xEF; // RST 5 at the RST 7.5 vector
    Go(*run, 50);
    EXPECT_EQ(run->Last, MonitorEvent::NotEntry);
    EXPECT_TRUE(PressKitKey(run->TheKit, "VI"));
    EXPECT_EQ(FindKitDisplay(run->TheKit)->FifoCount, 0);
    Go(*run, 50);
    EXPECT_EQ(run->Last, MonitorEvent::Returned);
}

} // namespace
