// The CP/M console: page zero, the two BDOS console functions, the warning
// for the others, and the end of the run at 0000H.
#include "Cpm.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

struct ConsoleLog {
    std::string Printed;
    std::vector<std::pair<int, int>> Warnings; // function, return address
};

void Print(void* context, std::uint8_t byte)
{
    static_cast<ConsoleLog*>(context)->Printed += static_cast<char>(byte);
}

void Warn(void* context, std::uint8_t function, std::uint16_t returnAddress)
{
    static_cast<ConsoleLog*>(context)->Warnings.emplace_back(function, returnAddress);
}

// Loads the program at 0100H under CP/M and runs it, serving the console,
// until it leaves through 0000H or halts.
CpmEvent RunUnderCpm(CpuState& cpu, const std::vector<std::uint8_t>& program, ConsoleLog& log)
{
    ResetCpu(cpu, CpuModel::I8080);
    for (std::size_t i = 0; i < program.size(); ++i)
        cpu.Memory[0x0100 + i] = program[i];
    SetUpCpm(cpu);
    cpu.PC = 0x0100;
    CpmConsole console;
    console.Print = Print;
    console.Warn = Warn;
    console.Context = &log;
    for (;;) {
        if (RunCpu(cpu, 1000) != RunEnd::Halted)
            return CpmEvent::NotCpm;
        const CpmEvent event = ServeCpm(cpu, console);
        if (event != CpmEvent::BdosCall)
            return event;
    }
}

TEST(SetUpCpm, PageZeroAsCpmLaysItOut)
{
    auto cpu = std::make_unique<CpuState>();
    SetUpCpm(*cpu);
    const std::uint8_t pageZero[8] = {0xC3, 0x83, 0xFE, 0x00, 0x00, 0xC3, 0x00, 0xFE};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(cpu->Memory[i], pageZero[i]) << i;
    EXPECT_EQ(cpu->SP, 0xFDFE);
}

TEST(ServeCpm, ConsoleFunctions)
{
    struct Row {
        const char* Case;
        std::vector<std::uint8_t> Program;
        std::string ExpectedPrinted;
    } rows[] = {
        // MVI C, 2; MVI E, 'A'; CALL 5; JMP 0
        {"C = 2 prints E", {0x0E, 0x02, 0x1E, 0x41, 0xCD, 0x05, 0x00, 0xC3, 0x00, 0x00}, "A"},
        {"C = 2 prints NUL too", {0x0E, 0x02, 0x1E, 0x00, 0xCD, 0x05, 0x00, 0xC3, 0x00, 0x00}, std::string(1, '\0')},
        // MVI C, 9; LXI D, 010BH; CALL 5; RET; "hi", BEL, CR, LF, "$"
        {"C = 9 prints up to $",
         {0x0E, 0x09, 0x11, 0x0B, 0x01, 0xCD, 0x05, 0x00, 0xC9, 0x00, 0x00, 'h', 'i', 0x07, 0x0D, 0x0A, '$', 'x'},
         "hi\a\r\n"},
    };
    for (const Row& row : rows) {
        auto cpu = std::make_unique<CpuState>();
        ConsoleLog log;
        EXPECT_EQ(RunUnderCpm(*cpu, row.Program, log), CpmEvent::Exit) << row.Case;
        EXPECT_EQ(log.Printed, row.ExpectedPrinted) << row.Case;
        EXPECT_TRUE(log.Warnings.empty()) << row.Case;
    }
}

TEST(ServeCpm, OtherFunctionsWarnAndReturn)
{
    // MVI C, 0BH; CALL 5; MVI A, 1; HLT
    auto cpu = std::make_unique<CpuState>();
    ConsoleLog log;
    EXPECT_EQ(RunUnderCpm(*cpu, {0x0E, 0x0B, 0xCD, 0x05, 0x00, 0x3E, 0x01, 0x76}, log), CpmEvent::NotCpm);
    ASSERT_EQ(log.Warnings.size(), 1u);
    EXPECT_EQ(log.Warnings[0], std::make_pair(0x0B, 0x0105));
    EXPECT_EQ(cpu->A, 0x01);
    EXPECT_EQ(cpu->PC, 0x0108); // the program's own HLT is an ordinary halt
}

TEST(ServeCpm, ExitCountsWhatCpmExecutesButNotTheTraps)
{
    // MVI C, 2; CALL 5; RET: 7 + 17 + JMP 10 + RET 10 + RET 10, then JMP 0 10.
    auto cpu = std::make_unique<CpuState>();
    ConsoleLog log;
    EXPECT_EQ(RunUnderCpm(*cpu, {0x0E, 0x02, 0xCD, 0x05, 0x00, 0xC9}, log), CpmEvent::Exit);
    EXPECT_EQ(cpu->PC, 0x0000);
    EXPECT_EQ(cpu->Instructions, 6u);
    EXPECT_EQ(cpu->States, 64u);
}

} // namespace
