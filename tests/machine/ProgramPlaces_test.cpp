// Runs with --map: where the program placed nothing, a jump there ends the
// run with a note; running on past the end does not; stores into the
// program's own code are counted and the first one named. Maps are built in
// memory, one record per instruction of prog.asm, line N at the Nth record.
#include "ProgramPlaces.h"
#include "Simulation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::uint16_t _Origin = 0x2000;

struct Instruction {
    std::vector<std::uint8_t> Bytes;
    bool IsData = false;
};

// The program at 2000H, its map (source line 2 onwards: line 1 is ORG), and a run of it.
struct MappedRun {
    std::unique_ptr<CpuState> Cpu = std::make_unique<CpuState>();
    SourceMap Map;
    ProgramPlaces Places;
    PlaceFindings Found;
    StopReason Stop = StopReason::Halt;
};

std::unique_ptr<MappedRun> RunMapped(const std::vector<Instruction>& program, std::uint64_t maxSteps = 1000,
                                     std::vector<InterruptEvent> events = {})
{
    auto run = std::make_unique<MappedRun>();
    ResetCpu(*run->Cpu, CpuModel::I8085);
    run->Cpu->PC = _Origin;
    run->Cpu->SP = 0xF000;
    run->Map.SourceName = "prog.asm";
    std::uint16_t address = _Origin;
    int line = 2;
    for (const Instruction& instruction : program) {
        for (std::size_t i = 0; i < instruction.Bytes.size(); ++i)
            run->Cpu->Memory[address + i] = instruction.Bytes[i];
        run->Map.Records.push_back(
            {line - 1, line, address, static_cast<int>(instruction.Bytes.size()), instruction.IsData});
        address = static_cast<std::uint16_t>(address + instruction.Bytes.size());
        ++line;
    }
    run->Places = FindProgramPlaces(run->Map);
    SimulationSetup setup;
    setup.MaxSteps = maxSteps;
    setup.Interrupts = std::move(events);
    setup.Places = &run->Places;
    setup.Findings = &run->Found;
    run->Stop = RunSimulation(*run->Cpu, setup);
    return run;
}

TEST(LeftProgram, EachWayOfJumpingToWhereNothingIsPlaced)
{
    struct Row {
        const char* Case;
        std::vector<Instruction> Program;
        const char* ExpectedNote;
    } rows[] = {
        {"RST 1, the trainer kit's ending",
         {{{0x3E, 0x05}}, {{0xCF}}},
         "RST 1 at 2002H (prog.asm:3) jumped to 0008H, where the program placed nothing; a trainer kit returns to "
         "its monitor here"},
        {"CALL of a monitor routine",
         {{{0xCD, 0xC7, 0x0B}}, {{0x76}}},
         "CALL 0BC7H at 2000H (prog.asm:2) called 0BC7H, where the program placed nothing; a trainer kit's monitor "
         "may have a routine here; this simulator has none"},
        {"a taken conditional jump",
         {{{0xAF}}, {{0xCA, 0x00, 0x30}}, {{0x76}}},
         "JZ 3000H at 2001H (prog.asm:3) jumped to 3000H, where the program placed nothing; a trainer kit's monitor "
         "may be here; this simulator has none"},
        {"RET with nothing pushed",
         {{{0x31, 0x00, 0x40}}, {{0xC9}}},
         "RET at 2003H (prog.asm:3) returned to 0000H, where the program placed nothing; the stack held no return "
         "address into the program (a PUSH or POP too many?)"},
        {"PCHL",
         {{{0x21, 0x00, 0xA0}}, {{0xE9}}},
         "PCHL at 2003H (prog.asm:3) jumped to 0A000H, where the program placed nothing; HL held no address in the "
         "program"},
    };
    for (const Row& row : rows) {
        auto run = RunMapped(row.Program);
        EXPECT_EQ(run->Stop, StopReason::LeftProgram) << row.Case;
        EXPECT_EQ(FormatLeftProgramNote(run->Places, run->Found, *run->Cpu), row.ExpectedNote) << row.Case;
    }
}

TEST(LeftProgram, AnInterruptToAnEmptyVector)
{
    // EI; SIM with 08H unmasks all; NOP; NOP; HLT, and RST 6.5 raised at step 5.
    auto run = RunMapped({{{0xFB}}, {{0x3E, 0x08}}, {{0x30}}, {{0x00}}, {{0x00}}, {{0x76}}}, 1000,
                         {{5, InterruptSource::Rst65, 0}});
    EXPECT_EQ(run->Stop, StopReason::LeftProgram);
    EXPECT_EQ(FormatLeftProgramNote(run->Places, run->Found, *run->Cpu),
              "the interrupt RST 6.5 taken at 2005H (prog.asm:6) jumped to 0034H, where the program placed nothing; "
              "put its service routine there (ORG 0034H)");
}

TEST(LeftProgram, AReturnAfterAHaltThatAnInterruptEnded)
{
    // LXI SP; EI; HLT, with RST 7.5 (unmasked by SIM 08H) raised after the
    // HLT: its routine at 003CH (placed here by the image only) returns past
    // the HLT, where nothing is placed. The stack was right; the note says so.
    std::vector<Instruction> program = {{{0x31, 0x00, 0x30}}, {{0x3E, 0x08}}, {{0x30}}, {{0xFB}}, {{0x76}}};
    auto run = std::make_unique<MappedRun>();
    ResetCpu(*run->Cpu, CpuModel::I8085);
    run->Cpu->PC = _Origin;
    run->Map.SourceName = "prog.asm";
    std::uint16_t address = _Origin;
    for (std::size_t i = 0; i < program.size(); ++i) {
        for (std::size_t j = 0; j < program[i].Bytes.size(); ++j)
            run->Cpu->Memory[address + j] = program[i].Bytes[j];
        run->Map.Records.push_back({static_cast<int>(i) + 1, static_cast<int>(i) + 2, address,
                                    static_cast<int>(program[i].Bytes.size()), false});
        address = static_cast<std::uint16_t>(address + program[i].Bytes.size());
    }
    run->Map.Records.push_back({9, 9, 0x3C, 2, false}); // EI; RET
    run->Cpu->Memory[0x3C] = 0xFB;
    run->Cpu->Memory[0x3D] = 0xC9;
    run->Places = FindProgramPlaces(run->Map);
    SimulationSetup setup;
    setup.Interrupts = {{20, InterruptSource::Rst75, 0}};
    setup.Places = &run->Places;
    setup.Findings = &run->Found;
    EXPECT_EQ(RunSimulation(*run->Cpu, setup), StopReason::LeftProgram);
    EXPECT_EQ(FormatLeftProgramNote(run->Places, run->Found, *run->Cpu),
              "RET at 003DH (prog.asm:9) returned to 2008H, where the program placed nothing; an interrupt ended the "
              "HLT at 2007H (prog.asm:6) and its service routine returned after it; to stay halted, end with HLT "
              "and JMP back to it");
}

TEST(LeftProgram, AStartWhereNothingIsPlaced)
{
    auto run = RunMapped({{{0x76}}});
    run->Cpu->PC = 0x1000;
    run->Found = {};
    SimulationSetup setup;
    setup.Places = &run->Places;
    setup.Findings = &run->Found;
    ResetCpu(*run->Cpu, CpuModel::I8085);
    run->Cpu->PC = 0x1000;
    EXPECT_EQ(RunSimulation(*run->Cpu, setup), StopReason::LeftProgram);
    EXPECT_EQ(FormatLeftProgramNote(run->Places, run->Found, *run->Cpu),
              "the run starts at 1000H, where the program placed nothing; give the program's start address");
}

TEST(LeftProgram, RunningOnPastTheEndIsNoJump)
{
    // MVI A, 1 and no HLT: the NOPs after it run to the step limit.
    auto run = RunMapped({{{0x3E, 0x01}}}, 10);
    EXPECT_EQ(run->Stop, StopReason::StepLimit);
    EXPECT_EQ(run->Cpu->PC, 0x200B);
    EXPECT_EQ(FormatPlaceLine(run->Places, run->Found, *run->Cpu),
              "place: outside the program; it left after 2000H (prog.asm:2), running on past its end\n");
    // A step limit inside the program says where.
    auto looping = RunMapped({{{0x00}}, {{0xC3, 0x00, 0x20}}}, 10);
    EXPECT_EQ(looping->Stop, StopReason::StepLimit);
    EXPECT_EQ(FormatPlaceLine(looping->Places, looping->Found, *looping->Cpu),
              "place: inside the program at 2000H (prog.asm:2)\n");
}

TEST(CodeStores, TheFirstIsNamedAndTheRestCounted)
{
    // 2000H LDA 2050H (the program's data at 2000H, as a kit program keeps
    // it); ADI 1; STA 2000H, three times round; HLT.
    const std::vector<Instruction> program = {
        {{0x0E, 0x03}},       // 2000 MVI C, 3
        {{0x3A, 0x50, 0x20}}, // 2002 LOOP: LDA 2050H
        {{0x32, 0x00, 0x20}}, // 2005 STA 2000H: over MVI C
        {{0x0D}},             // 2008 DCR C
        {{0xC2, 0x02, 0x20}}, // 2009 JNZ LOOP
        {{0x76}},             // 200C HLT
        {{0x00}, true},       // 200D DB 0: data, stores here are fine
    };
    auto run = RunMapped(program);
    EXPECT_EQ(run->Stop, StopReason::Halt);
    EXPECT_EQ(run->Found.CodeStores, 3u);
    EXPECT_EQ(FormatCodeStoreWarning(run->Places, run->Found),
              "STA 2000H at 2005H (prog.asm:4) overwrites the program's own code at 2000H (prog.asm:2); put data "
              "elsewhere, e.g. after ORG 3000H");
    EXPECT_EQ(FormatMoreCodeStores(run->Found), "2 more stores into the program's own code followed (not shown)");
}

// One, two and three stores: the first is named, the rest counted, and
// with only one there is no second line at all.
TEST(CodeStores, OneTwoAndThree)
{
    const struct {
        std::uint8_t Times;
        const char* More;
    } rows[] = {
        {1, ""},
        {2, "1 more store into the program's own code followed (not shown)"},
        {3, "2 more stores into the program's own code followed (not shown)"},
    };
    for (const auto& row : rows) {
        // MVI C, n; LOOP: STA 2000H (over the MVI); DCR C; JNZ LOOP; HLT.
        auto run = RunMapped({{{0x0E, row.Times}}, {{0x32, 0x00, 0x20}}, {{0x0D}}, {{0xC2, 0x02, 0x20}}, {{0x76}}});
        EXPECT_EQ(run->Stop, StopReason::Halt) << int{row.Times};
        EXPECT_EQ(run->Found.CodeStores, row.Times);
        EXPECT_EQ(FormatCodeStoreWarning(run->Places, run->Found),
                  "STA 2000H at 2002H (prog.asm:3) overwrites the program's own code at 2000H (prog.asm:2); put data "
                  "elsewhere, e.g. after ORG 3000H")
            << int{row.Times};
        EXPECT_EQ(FormatMoreCodeStores(run->Found), row.More) << int{row.Times};
    }
}

TEST(CodeStores, WhatCountsAsOne)
{
    struct Row {
        const char* Case;
        std::vector<Instruction> Program;
        std::uint64_t ExpectedStores;
    } rows[] = {
        {"into data", {{{0x32, 0x04, 0x20}}, {{0x76}}, {{0x00}, true}}, 0},
        {"a push over code", {{{0x31, 0x02, 0x20}}, {{0xC5}}, {{0x76}}}, 1},
        {"a call on a condition not taken", {{{0x31, 0x02, 0x20}}, {{0xAF}}, {{0xC4, 0x00, 0x30}}, {{0x76}}}, 0},
        {"a call on a condition taken", {{{0x31, 0x02, 0x20}}, {{0xAF}}, {{0xCC, 0x07, 0x20}}, {{0x76}}}, 1},
        {"RSTV with V clear", {{{0x31, 0x02, 0x20}}, {{0xAF}}, {{0xCB}}, {{0x76}}}, 0},
        {"MVI M over code", {{{0x21, 0x00, 0x20}}, {{0x36, 0x00}}, {{0x76}}}, 1},
    };
    for (const Row& row : rows) {
        auto run = RunMapped(row.Program);
        EXPECT_EQ(run->Stop, StopReason::Halt) << row.Case;
        EXPECT_EQ(run->Found.CodeStores, row.ExpectedStores) << row.Case;
    }
}

// Each byte belongs to the last record that covers it (the map's records in
// listing order), across the top of memory too; a record of all 64 KiB
// places every byte.
TEST(ProgramPlaces, EachByteIsMarkedByTheLastRecordThatCoversIt)
{
    SourceMap map;
    map.Records = {
        {1, 1, 0x3000, 65536, true}, {2, 2, 0x2000, 4, false}, {3, 3, 0x2002, 4, true}, {4, 4, 0xFFFE, 4, false}};
    const ProgramPlaces places = FindProgramPlaces(map);
    const struct {
        std::uint16_t Address;
        int Code;
    } rows[] = {{0x1FFF, 0}, {0x2000, 1}, {0x2001, 1}, {0x2002, 0}, {0x2005, 0}, {0x2006, 0},
                {0xFFFD, 0}, {0xFFFE, 1}, {0xFFFF, 1}, {0x0000, 1}, {0x0001, 1}, {0x0002, 0}};
    for (const auto& row : rows) {
        EXPECT_EQ(places.Placed[row.Address], 1) << std::hex << row.Address;
        EXPECT_EQ(places.Code[row.Address], row.Code) << std::hex << row.Address;
    }
}

// A map of another program: an instruction record whose size is not that of
// the instruction the image holds there. Records overwritten by later ones
// are not compared.
TEST(ProgramPlaces, AMapOfAnotherProgramIsSaid)
{
    auto cpu = std::make_unique<CpuState>();
    const std::uint8_t code[] = {0x3E, 0x05, 0x76, 0x00, 0x21, 0x00, 0x30, 0x28, 0x05};
    std::copy(std::begin(code), std::end(code), cpu->Memory + 0x2000);
    SourceMap map;
    map.SourceName = "p.asm";
    map.Records = {{1, 2, 0x2000, 2, false},
                   {2, 3, 0x2002, 1, false},
                   {3, 4, 0x2004, 3, false},
                   {4, 5, 0x2007, 2, false}}; // LDHI 05H, two bytes in the 8085 set the map is of
    EXPECT_EQ(FormatMapDisagreement(map, *cpu), "");
    cpu->Model = CpuModel::I8080; // run as an 8080 (where 28H is one byte): the map still fits
    EXPECT_EQ(FormatMapDisagreement(map, *cpu), "");
    map.Records[0].Size = 3;                         // MVI A, 5 is 2 bytes
    map.Records.push_back({5, 6, 0x2003, 3, false}); // NOP is 1 byte
    EXPECT_EQ(FormatMapDisagreement(map, *cpu),
              "the map does not fit this image, as if it were of another program: 2000H (p.asm:2) holds MVI A, 05H, "
              "2 bytes, where the map has an instruction of 3 bytes (and 1 more); source lines named may be wrong: "
              "assemble the program again");
    map.Records.push_back({6, 7, 0x2000, 1, true}); // the first record overwritten: not compared
    map.Records.push_back({7, 8, 0x2003, 1, true});
    EXPECT_EQ(FormatMapDisagreement(map, *cpu), "");
}

} // namespace
