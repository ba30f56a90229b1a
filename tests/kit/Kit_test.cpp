// A kit at run time: the memory map and the chips at their addresses, the
// boards on the ports, the clock, the interrupt lines, and the monitor's
// services as a program calls them.
#include "Kit.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct Fixture {
    Kit TheKit;
    std::unique_ptr<CpuState> Cpu = std::make_unique<CpuState>();
};

std::unique_ptr<Fixture> MakeKit(const char* name)
{
    auto fixture = std::make_unique<Fixture>();
    const KitProfile* profile = FindKitProfile(name);
    EXPECT_NE(profile, nullptr);
    SetUpKit(fixture->TheKit, *profile);
    ResetCpu(*fixture->Cpu, CpuModel::I8085);
    return fixture;
}

// CALL address from 2000H with SP at 20C0H: the return address 2003H pushed.
void Call(CpuState& cpu, std::uint16_t address)
{
    cpu.SP = 0x20BE;
    cpu.Memory[0x20BE] = 0x03;
    cpu.Memory[0x20BF] = 0x20;
    cpu.PC = address;
}

TEST(Kit, ProfilesAreFoundByName)
{
    for (const char* name : {"sdk85", "dyna85", "als85"})
        EXPECT_NE(FindKitProfile(name), nullptr) << name;
    EXPECT_EQ(FindKitProfile("sdk86"), nullptr);
}

TEST(Kit, Sdk85MemoryMap)
{
    auto f = MakeKit("sdk85");
    Kit& kit = f->TheKit;
    std::uint8_t value = 0;
    EXPECT_EQ(WriteKitMemory(kit, 0x0100, 0x55), KitAccess::Rom);
    EXPECT_EQ(ReadKitMemory(kit, 0x0100, value), KitAccess::Rom);
    EXPECT_EQ(WriteKitMemory(kit, 0x2042, 0x99), KitAccess::Memory); // the 8155's RAM
    EXPECT_EQ(ReadKitMemory(kit, 0x28FF, value), KitAccess::Memory); // the expansion 8155's
    EXPECT_EQ(WriteKitMemory(kit, 0x2100, 0x00), KitAccess::Unmapped);
    EXPECT_EQ(ReadKitMemory(kit, 0x1800, value), KitAccess::Device); // the 8279
    EXPECT_EQ(ReadKitMemory(kit, 0x1A00, value), KitAccess::Unmapped);
    EXPECT_EQ(WriteKitMemory(kit, 0x4000, 0x00), KitAccess::Unmapped);
}

TEST(Kit, Sdk85PortsReachThe8155)
{
    auto f = MakeKit("sdk85");
    Kit& kit = f->TheKit;
    EXPECT_EQ(WriteKitPort(kit, 0x20, 0x01), KitAccess::Device); // command: PA output
    EXPECT_EQ(WriteKitPort(kit, 0x21, 0xA5), KitAccess::Device);
    std::uint8_t value = 0;
    EXPECT_EQ(ReadKitPort(kit, 0x21, value), KitAccess::Device);
    EXPECT_EQ(value, 0xA5);
    EXPECT_EQ(ReadKitPort(kit, 0x26, value), KitAccess::Unmapped);
    EXPECT_EQ(WriteKitPort(kit, 0x80, 0), KitAccess::Unmapped);
}

// The SDK-85's 8279: data at 1800H, command and status at 1900H. The bytes
// are the monitor's display codes for 2, 0, 5, 0, 3, A, complemented.
TEST(Kit, Sdk85DisplayThroughMemoryMapped8279)
{
    auto f = MakeKit("sdk85");
    Kit& kit = f->TheKit;
    EXPECT_EQ(WriteKitMemory(kit, 0x1900, 0x90), KitAccess::Device);
    for (std::uint8_t code : {0x4A, 0x0C, 0x29, 0x0C, 0x0B, 0x88})
        WriteKitMemory(kit, 0x1800, code);
    EXPECT_EQ(DescribeKitDisplay(kit), "2050 3A");
}

TEST(Kit, MonitorShowsAAndDe)
{
    auto f = MakeKit("sdk85");
    Kit& kit = f->TheKit;
    CpuState& cpu = *f->Cpu;
    Call(cpu, 0x036E); // inside UPDDT: A is shown
    cpu.A = 0x3A;
    EXPECT_EQ(ServeMonitor(kit, cpu), MonitorEvent::Served);
    EXPECT_EQ(cpu.PC, 0x2003);
    EXPECT_EQ(cpu.SP, 0x20C0);
    EXPECT_EQ(DescribeKitDisplay(kit), "     3A");
    Call(cpu, 0x0363); // inside UPDAD: DE is shown
    cpu.D = 0x20;
    cpu.E = 0x50;
    EXPECT_EQ(ServeMonitor(kit, cpu), MonitorEvent::Served);
    EXPECT_EQ(DescribeKitDisplay(kit), "2050 3A");
    Call(cpu, 0x01D7); // CLEAR
    EXPECT_EQ(ServeMonitor(kit, cpu), MonitorEvent::Served);
    EXPECT_EQ(DescribeKitDisplay(kit), "       ");
}

// UPDAD and UPDDT proper show the monitor's current address (20F6H, low
// byte first) and current data (20F8H), not DE and A.
TEST(Kit, MonitorShowsItsCurrentAddressAndData)
{
    auto f = MakeKit("sdk85");
    Kit& kit = f->TheKit;
    CpuState& cpu = *f->Cpu;
    cpu.Memory[0x20F6] = 0x50;
    cpu.Memory[0x20F7] = 0x20;
    cpu.Memory[0x20F8] = 0x3A;
    cpu.A = 0x77;
    cpu.D = 0x11;
    cpu.E = 0x22;
    Call(cpu, 0x035F); // UPDAD
    EXPECT_EQ(ServeMonitor(kit, cpu), MonitorEvent::Served);
    Call(cpu, 0x036B); // UPDDT
    EXPECT_EQ(ServeMonitor(kit, cpu), MonitorEvent::Served);
    EXPECT_EQ(cpu.PC, 0x2003);
    EXPECT_EQ(DescribeKitDisplay(kit), "2050 3A");
}

TEST(Kit, MonitorReadsAKeyOrWaits)
{
    auto f = MakeKit("sdk85");
    Kit& kit = f->TheKit;
    CpuState& cpu = *f->Cpu;
    Call(cpu, 0x02E7); // RDKBD
    EXPECT_EQ(ServeMonitor(kit, cpu), MonitorEvent::WaitingKey);
    EXPECT_EQ(cpu.PC, 0x02E7);
    EXPECT_TRUE(PressKitKey(kit, "NEXT"));
    EXPECT_FALSE(PressKitKey(kit, "ENTER"));
    EXPECT_EQ(ServeMonitor(kit, cpu), MonitorEvent::Served);
    EXPECT_EQ(cpu.A, 0x11);
    EXPECT_EQ(cpu.PC, 0x2003);
}

TEST(Kit, ReturnToMonitorEndsTheRun)
{
    auto f = MakeKit("sdk85");
    f->Cpu->PC = 0x0008; // RST 1
    EXPECT_EQ(ServeMonitor(f->TheKit, *f->Cpu), MonitorEvent::Returned);
    f->Cpu->PC = 0x2000;
    EXPECT_EQ(ServeMonitor(f->TheKit, *f->Cpu), MonitorEvent::NotEntry);

    auto marks = std::make_unique<std::uint8_t[]>(65536);
    MarkMonitorEntries(f->TheKit, marks.get());
    EXPECT_EQ(marks[0x036E], 1);
    EXPECT_EQ(marks[0x0008], 1);
    EXPECT_EQ(marks[0x0009], 0);
}

TEST(Kit, KeyPressRaisesRst55ThroughThe8279)
{
    auto f = MakeKit("sdk85");
    InterruptLines lines;
    DriveKitInterrupts(f->TheKit, lines);
    EXPECT_FALSE(lines.Rst55);
    PressKitKey(f->TheKit, "5");
    DriveKitInterrupts(f->TheKit, lines);
    EXPECT_TRUE(lines.Rst55);
}

TEST(Kit, ClockReachesThe8155Timer)
{
    auto f = MakeKit("sdk85");
    Kit& kit = f->TheKit;
    WriteKitPort(kit, 0x24, 10);
    WriteKitPort(kit, 0x25, 0x40); // continuous square wave
    WriteKitPort(kit, 0x20, 0xC0); // START
    ClockKit(kit, 9);
    std::uint8_t status = 0;
    ReadKitPort(kit, 0x20, status);
    EXPECT_EQ(status & 0x40, 0);
    ClockKit(kit, 1);
    ReadKitPort(kit, 0x20, status);
    EXPECT_EQ(status & 0x40, 0x40);
}

TEST(Kit, BoardsOnThe8255)
{
    auto f = MakeKit("dyna85");
    Kit& kit = f->TheKit;
    ASSERT_TRUE(AttachBoard(kit, BoardKind::Dac, "8255", 0));
    ASSERT_TRUE(AttachBoard(kit, BoardKind::LedsSwitches, "8255", 1));
    EXPECT_FALSE(AttachBoard(kit, BoardKind::Dac, "8253", 0));
    EXPECT_FALSE(AttachBoard(kit, BoardKind::Dac, "8255", 3));
    kit.Boards[1].State.Input = 0x81;
    WriteKitPort(kit, 0x03, 0x82); // A output, B input
    ClockKit(kit, 100);
    WriteKitPort(kit, 0x00, 0x40);
    ClockKit(kit, 50);
    WriteKitPort(kit, 0x00, 0x80);
    std::uint8_t value = 0;
    ReadKitPort(kit, 0x01, value);
    EXPECT_EQ(value, 0x81);
    const auto& samples = kit.Boards[0].State.Samples;
    ASSERT_EQ(samples.size(), 3u); // 00H from the mode word, then 40H and 80H
    EXPECT_EQ(samples[0].Value, 0x00);
    EXPECT_EQ(samples[1].State, 100u);
    EXPECT_EQ(samples[1].Value, 0x40);
    EXPECT_EQ(samples[2].State, 150u);
}

TEST(Kit, DynaCounterClockedAtHalfTheProcessorClock)
{
    auto f = MakeKit("dyna85");
    Kit& kit = f->TheKit;
    WriteKitPort(kit, 0x13, 0x36); // counter 0, mode 3
    WriteKitPort(kit, 0x10, 4);
    WriteKitPort(kit, 0x10, 0);
    ClockKit(kit, 2); // the load
    ClockKit(kit, 3); // one pulse and a spare T-state
    auto& chip = std::get<Chip8253>(kit.Devices[2].Chip.Chip);
    EXPECT_TRUE(chip.Counters[0].Out);
    ClockKit(kit, 1);
    EXPECT_FALSE(chip.Counters[0].Out);
}

} // namespace
