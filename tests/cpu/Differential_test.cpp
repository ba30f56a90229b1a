// The 8080 core against another simulator: random programs over every
// documented 8080 opcode run here and under simh's altairz80 (set to an
// 8080 without MMU), and the two must end in the same state: PC, SP, the
// registers, the flags S, Z, P and CY, the interrupt enable and all 64 KiB
// of memory.
//
// altairz80 computes AC and the flag bits 1, 3 and 5 as another processor
// does, and treats the 8080's duplicate opcodes CBH, D9H, DDH, EDH and FDH
// as that processor's prefixes. So the programs leave those five opcodes to
// the hand-worked rows of Cpu_test.cpp, and the two instructions that read
// AC or the unused bits come only where those agree: DAA right after an
// addition or a logical OR, and PUSH PSW as PUSH PSW; POP PSW; PUSH B; POP B,
// which overwrites the pushed flag byte before anything else can read it
// (where the step limit cuts that short, the byte is compared on S, Z, P and
// CY). A program can still stray from that plan (a store into its own code,
// a return to an address a register held); this core's own run tells when
// it did, such a program is left out of the comparison, and only a few may be.
//
// Without altairz80 (Debian package simh) the test says so and is skipped.
#include "Cpu.h"
#include "support/RandomPrograms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int _ProgramCount = 400;
constexpr std::uint64_t _StepLimit = 400;
constexpr std::uint32_t _Seed = 8080;
constexpr int _MaxOffThePlan = _ProgramCount / 10;
constexpr std::uint8_t _PortInValue = 0xFF; // what altairz80 reads from a port no device has

// --- altairz80's side ------------------------------------------------------

struct Outcome {
    bool Halted = false;
    std::uint16_t PC = 0, SP = 0, AF = 0, BC = 0, DE = 0, HL = 0;
    bool IE = false;
    std::vector<std::uint8_t> Memory;
};

std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Writes the machines as images, runs altairz80 once over all of them and
// reads back what each ended with; false with the reason when that fails.
bool RunUnderAltairz80(const std::string& folder, const std::vector<RandomProgram>& machines,
                       std::vector<Outcome>& outcomes, std::string& error)
{
    std::ostringstream script;
    script << "set cpu 8080\nset cpu 64k\nset cpu noaltairrom\nset cpu nommu\nset cpu stoponhalt\nset cpu quiet\n";
    char line[160];
    for (std::size_t i = 0; i < machines.size(); ++i) {
        const RandomProgram& m = machines[i];
        const std::string image = folder + "/in" + std::to_string(i) + ".bin";
        std::ofstream(image, std::ios::binary)
            .write(reinterpret_cast<const char*>(m.Memory.data()), static_cast<std::streamsize>(m.Memory.size()));
        std::snprintf(line, sizeof line,
                      "echo program %zu\nload %s 0\nd pc %X\nd sp %X\nd af %X\nd bc %X\nd de %X\nd hl %X\nd iff 0\n", i,
                      image.c_str(), m.PC, m.SP, (m.A << 8) | m.F, (m.B << 8) | m.C, (m.D << 8) | m.E,
                      (m.H << 8) | m.L);
        script << line;
        script << "s " << _StepLimit << "\nex pc,sp,af,bc,de,hl,iff\n";
        script << "dump " << folder << "/out" << i << ".bin 0-ffff\n";
    }
    script << "quit\n";
    const std::string scriptPath = folder + "/programs.sim";
    std::ofstream(scriptPath) << script.str();
    const std::string command = std::string(ALTAIRZ80_PATH) + " " + scriptPath + " </dev/null >" + folder + "/log 2>&1";
    if (std::system(command.c_str()) != 0) {
        error = "altairz80 failed: " + ReadWhole(folder + "/log");
        return false;
    }
    std::istringstream log(ReadWhole(folder + "/log"));
    outcomes.assign(machines.size(), {});
    Outcome* current = nullptr;
    std::string text;
    while (std::getline(log, text)) {
        std::size_t index = 0;
        if (std::sscanf(text.c_str(), "program %zu", &index) == 1 && index < outcomes.size()) {
            current = &outcomes[index];
            continue;
        }
        if (!current)
            continue;
        if (text.rfind("HALT instruction", 0) == 0)
            current->Halted = true;
        const std::size_t tab = text.find(":\t");
        if (tab == std::string::npos)
            continue;
        const std::string name = text.substr(0, tab);
        const std::string value = text.substr(tab + 2);
        if (name == "IFF") {
            current->IE = value.find('1') != std::string::npos;
            continue;
        }
        const auto number = static_cast<std::uint16_t>(std::strtoul(value.c_str(), nullptr, 16));
        if (name == "PC")
            current->PC = number;
        else if (name == "SP")
            current->SP = number;
        else if (name == "AF")
            current->AF = number;
        else if (name == "BC")
            current->BC = number;
        else if (name == "DE")
            current->DE = number;
        else if (name == "HL")
            current->HL = number;
    }
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        const std::string dump = ReadWhole(folder + "/out" + std::to_string(i) + ".bin");
        if (dump.size() != 65536) {
            error =
                "altairz80 wrote no memory dump for program " + std::to_string(i) + ": " + ReadWhole(folder + "/log");
            return false;
        }
        outcomes[i].Memory.assign(dump.begin(), dump.end());
    }
    return true;
}

// --- this core's side --------------------------------------------------------

std::uint8_t ReadUnusedPort(void*, std::uint8_t)
{
    return _PortInValue;
}

std::unique_ptr<CpuState> MakeCpu(const RandomProgram& machine)
{
    auto cpu = std::make_unique<CpuState>();
    ResetCpu(*cpu, CpuModel::I8080);
    std::copy(machine.Memory.begin(), machine.Memory.end(), cpu->Memory);
    cpu->PC = machine.PC;
    cpu->SP = machine.SP;
    cpu->A = machine.A, cpu->F = machine.F;
    cpu->B = machine.B, cpu->C = machine.C, cpu->D = machine.D;
    cpu->E = machine.E, cpu->H = machine.H, cpu->L = machine.L;
    cpu->Io.In = ReadUnusedPort;
    return cpu;
}

// The program's code, one instruction a line, for a failure message.
std::string ListCode(const RandomProgram& machine)
{
    std::string text;
    for (unsigned address = _RandomCodeStart; address < machine.CodeEnd;
         address += DescribeOpcode(CpuModel::I8080, machine.Memory[address]).Size) {
        const std::uint8_t bytes[3] = {machine.Memory[address], machine.Memory[address + 1u],
                                       machine.Memory[address + 2u]};
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "  %04X: ", address);
        text += prefix + FormatInstruction(CpuModel::I8080, bytes) + "\n";
    }
    return text;
}

std::string DescribeDifference(const CpuState& cpu, const Outcome& other)
{
    char text[320];
    std::snprintf(text, sizeof text,
                  "this core: %s PC=%04X SP=%04X A=%02X F=%02X BC=%02X%02X DE=%02X%02X HL=%02X%02X IE=%d\n"
                  "altairz80: %s PC=%04X SP=%04X A=%02X F=%02X BC=%04X DE=%04X HL=%04X IE=%d\n"
                  "(F compared on S, Z, P and CY: mask C5H)\n",
                  cpu.Halted ? "halted " : "stepped", cpu.Halted ? cpu.PC - 1 : cpu.PC, cpu.SP, cpu.A, cpu.F, cpu.B,
                  cpu.C, cpu.D, cpu.E, cpu.H, cpu.L, cpu.IE, other.Halted ? "halted " : "stepped", other.PC, other.SP,
                  other.AF >> 8, other.AF & 0xFF, other.BC, other.DE, other.HL, other.IE);
    std::string result = text;
    int shown = 0;
    for (unsigned address = 0; address < 65536 && shown < 8; ++address) {
        if (cpu.Memory[address] != other.Memory[address]) {
            std::snprintf(text, sizeof text, "memory %04X: this core %02X, altairz80 %02X\n", address,
                          cpu.Memory[address], other.Memory[address]);
            result += text;
            ++shown;
        }
    }
    return result;
}

// Opcodes after which DAA gives the same result in both: N clear and AC as
// the 8080 sets it (ADD, ADC, INR, ORA and XRA of a register, ADI, ACI).
bool SetsDecimalFlagsAlike(std::uint8_t opcode)
{
    return (opcode >= 0x80 && opcode <= 0x8F) || (opcode >= 0xA8 && opcode <= 0xB7) || opcode == 0xC6 ||
           opcode == 0xCE || (opcode & 0xC7) == 0x04;
}

// Whether the instruction at PC, run after previous, is one that the two
// simulators may run differently, outside the places the programs put it.
bool IsOffThePlan(const CpuState& cpu, std::uint8_t previous)
{
    const std::uint8_t* m = cpu.Memory;
    const auto at = [m, &cpu](unsigned offset) { return m[static_cast<std::uint16_t>(cpu.PC + offset)]; };
    switch (at(0)) {
    case 0x27: return !SetsDecimalFlagsAlike(previous);
    case 0xF5: return !(at(1) == 0xF1 && at(2) == 0xC5 && at(3) == 0xC1);
    case 0xD3:
    case 0xDB: return at(1) < 0x40 || at(1) >= 0xF0;
    default: return IsDuplicate(at(0));
    }
}

// Where the run stopped inside PUSH PSW; POP PSW; PUSH B; POP B before the
// pushed flag byte was overwritten, the address of that byte; otherwise -1.
int FindUncoveredFlagByte(const CpuState& cpu)
{
    const auto before = [&cpu](unsigned back) { return cpu.Memory[static_cast<std::uint16_t>(cpu.PC - back)]; };
    if (cpu.Halted)
        return -1;
    if (before(1) == 0xF5 && cpu.Memory[cpu.PC] == 0xF1)
        return cpu.SP;
    if (before(2) == 0xF5 && before(1) == 0xF1)
        return static_cast<std::uint16_t>(cpu.SP - 2);
    return -1;
}

bool SameState(const CpuState& cpu, const Outcome& other)
{
    const std::uint16_t pc = cpu.Halted ? static_cast<std::uint16_t>(cpu.PC - 1) : cpu.PC;
    if (!(cpu.Halted == other.Halted && pc == other.PC && cpu.SP == other.SP && cpu.A == (other.AF >> 8) &&
          (cpu.F & 0xC5) == (other.AF & 0xC5) && ((cpu.B << 8) | cpu.C) == other.BC &&
          ((cpu.D << 8) | cpu.E) == other.DE && ((cpu.H << 8) | cpu.L) == other.HL && cpu.IE == other.IE))
        return false;
    const int flagByte = FindUncoveredFlagByte(cpu);
    for (unsigned address = 0; address < 65536; ++address) {
        const std::uint8_t mask = static_cast<int>(address) == flagByte ? 0xC5 : 0xFF;
        if ((cpu.Memory[address] & mask) != (other.Memory[address] & mask))
            return false;
    }
    return true;
}

bool SameMachine(const CpuState& a, const CpuState& b)
{
    return a.PC == b.PC && a.SP == b.SP && a.A == b.A && a.F == b.F && a.B == b.B && a.C == b.C && a.D == b.D &&
           a.E == b.E && a.H == b.H && a.L == b.L && a.IE == b.IE && a.Halted == b.Halted &&
           a.Instructions == b.Instructions && a.States == b.States && std::equal(a.Memory, a.Memory + 65536, b.Memory);
}

// A scratch folder, removed with everything in it.
struct Folder {
    std::string Path;
    ~Folder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(Path, ignored);
    }
};

TEST(Differential, RandomProgramsEndAsUnderAltairz80)
{
    if (std::string(ALTAIRZ80_PATH).empty() || access(ALTAIRZ80_PATH, X_OK) != 0) {
        GTEST_SKIP() << "altairz80 not found (Debian package simh, see scripts/install-deps): "
                        "the 8080 core was NOT compared with it";
    }
    char pattern[] = "/tmp/run8085-differential-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    Folder folder{pattern};

    const std::vector<RandomProgram> machines = GenerateRandomPrograms(_Seed, _ProgramCount);
    std::vector<Outcome> outcomes;
    std::string error;
    ASSERT_TRUE(RunUnderAltairz80(folder.Path, machines, outcomes, error)) << error;

    std::array<bool, 256> executed{};
    int failures = 0;
    int offThePlan = 0;
    for (std::size_t i = 0; i < machines.size() && failures < 3; ++i) {
        // The whole run through RunCpu, as Run8085 runs it...
        auto cpu = MakeCpu(machines[i]);
        RunCpu(*cpu, _StepLimit);
        // ...and again one StepCpu at a time, noting each opcode run.
        auto stepped = MakeCpu(machines[i]);
        std::uint8_t previous = 0;
        bool strayed = false;
        while (stepped->Instructions < _StepLimit && !stepped->Halted) {
            const std::uint8_t opcode = stepped->Memory[stepped->PC];
            strayed = strayed || IsOffThePlan(*stepped, previous);
            executed[opcode] = true;
            previous = opcode;
            StepCpu(*stepped);
        }
        EXPECT_TRUE(SameMachine(*cpu, *stepped)) << "program " << i << ": RunCpu and StepCpu end differently";
        if (strayed) {
            ++offThePlan;
            continue;
        }
        if (!SameState(*cpu, outcomes[i])) {
            ++failures;
            ADD_FAILURE() << "program " << i << " (of seed " << _Seed << ") ends differently:\n"
                          << DescribeDifference(*cpu, outcomes[i]) << "code:\n"
                          << ListCode(machines[i]);
        }
    }
    std::printf("compared %d random programs with altairz80; %d more strayed from the plan and were left out\n",
                _ProgramCount - offThePlan, offThePlan);
    EXPECT_LE(offThePlan, _MaxOffThePlan) << "programs that strayed from the plan (left out of the comparison)";
    for (int opcode = 0; opcode < 256; ++opcode) {
        if (!IsDuplicate(static_cast<std::uint8_t>(opcode))) {
            EXPECT_TRUE(executed[opcode]) << "opcode " << opcode << " was never run: change the seed or the sizes";
        }
    }
}

} // namespace
