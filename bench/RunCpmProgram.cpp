// Runs a CP/M .COM program on the processor core alone, without the
// Run8085 program around it: loads it at 0100H, sets up the CP/M console,
// runs to 0000H (or a HLT, or the step limit) and prints the instruction
// and T-state counts and the time taken on standard error. The program's
// console output goes to standard output.
//
//   RunCpmProgram [--cpu 8080|8085] [--max-steps N] FILE.COM
#include "Cpm.h"
#include "Cpu.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr std::uint16_t _LoadAddress = 0x0100;

void PrintByte(void*, std::uint8_t byte)
{
    std::putchar(byte);
}

void WarnFunction(void*, std::uint8_t function, std::uint16_t returnAddress)
{
    std::fprintf(stderr, "RunCpmProgram: warning: BDOS function %u not supported (call returns to %04XH)\n", function,
                 returnAddress);
}

bool LoadProgram(const char* path, CpuState& cpu)
{
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    const std::size_t room = sizeof cpu.Memory - _LoadAddress;
    std::fread(cpu.Memory + _LoadAddress, 1, room, file);
    std::fclose(file);
    return true;
}

int PrintUsage()
{
    std::fprintf(stderr, "usage: RunCpmProgram [--cpu 8080|8085] [--max-steps N] FILE.COM\n");
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    CpuModel model = CpuModel::I8080;
    std::uint64_t limit = 0;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--cpu") == 0 && i + 1 < argc) {
            const char* name = argv[++i];
            if (std::strcmp(name, "8080") != 0 && std::strcmp(name, "8085") != 0)
                return PrintUsage();
            model = std::strcmp(name, "8085") == 0 ? CpuModel::I8085 : CpuModel::I8080;
        } else if (std::strcmp(argv[i], "--max-steps") == 0 && i + 1 < argc) {
            limit = std::strtoull(argv[++i], nullptr, 10);
        } else if (!path && argv[i][0] != '-') {
            path = argv[i];
        } else {
            return PrintUsage();
        }
    }
    if (!path)
        return PrintUsage();

    const auto cpu = std::make_unique<CpuState>();
    ResetCpu(*cpu, model);
    if (!LoadProgram(path, *cpu)) {
        std::fprintf(stderr, "%s: error: cannot read\n", path);
        return 1;
    }
    SetUpCpm(*cpu);
    cpu->PC = _LoadAddress;
    CpmConsole console;
    console.Print = PrintByte;
    console.Warn = WarnFunction;
    unsigned calls = 0;

    const auto start = std::chrono::steady_clock::now();
    const char* stop = "step-limit";
    while (RunCpu(*cpu, limit) == RunEnd::Halted) {
        const CpmEvent event = ServeCpm(*cpu, console);
        if (event == CpmEvent::BdosCall) {
            ++calls;
            continue;
        }
        stop = event == CpmEvent::Exit ? "cpm-exit" : "halt";
        break;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fflush(stdout);
    std::fprintf(stderr,
                 "stop: %s\ninstructions: %llu\nt-states: %llu\nbdos-calls: %u\nseconds: %.3f\n"
                 "instructions-per-second: %.0f\n",
                 stop, static_cast<unsigned long long>(cpu->Instructions), static_cast<unsigned long long>(cpu->States),
                 calls, seconds, seconds > 0 ? static_cast<double>(cpu->Instructions) / seconds : 0.0);
    return 0;
}
