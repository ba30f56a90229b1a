// The debugger's figures on a CP/M program (bench/run8085-debug): the same
// program run plainly by the core, then under a debugging session with its
// history on and two breakpoints set, to the end or the step limit; then the
// time one reverse-step takes there, and the history's memory. CPU times
// (this process's user and system time) are printed on standard output.
//
//   DebugCpmProgram [--max-steps N] FILE.COM
#include "Cpm.h"
#include "Cpu.h"
#include "DebugSession.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

namespace {

constexpr std::uint16_t _LoadAddress = 0x0100;

double CpuSeconds()
{
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

bool LoadProgram(const char* path, CpuState& cpu)
{
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    std::fread(cpu.Memory + _LoadAddress, 1, sizeof cpu.Memory - _LoadAddress, file);
    std::fclose(file);
    return true;
}

void Discard(void*, std::uint8_t)
{}

} // namespace

int main(int argc, char* argv[])
{
    std::uint64_t limit = 0;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--max-steps") == 0 && i + 1 < argc)
            limit = std::strtoull(argv[++i], nullptr, 10);
        else
            path = argv[i];
    }
    if (!path) {
        std::fprintf(stderr, "usage: DebugCpmProgram [--max-steps N] FILE.COM\n");
        return 2;
    }
    const auto first = std::make_unique<CpuState>();
    ResetCpu(*first, CpuModel::I8080);
    if (!LoadProgram(path, *first)) {
        std::fprintf(stderr, "%s: error: cannot read\n", path);
        return 1;
    }
    SetUpCpm(*first);
    first->PC = _LoadAddress;

    // Plain: the core and the console alone.
    const auto plain = std::make_unique<CpuState>(*first);
    CpmConsole console;
    console.Print = Discard;
    double start = CpuSeconds();
    while (RunCpu(*plain, limit) == RunEnd::Halted && ServeCpm(*plain, console) == CpmEvent::BdosCall) {
    }
    const double plainSeconds = CpuSeconds() - start;

    // Debugged: continue with two breakpoints that are never reached.
    const auto session = std::make_unique<DebugSession>();
    MachineOptions options;
    options.Model = CpuModel::I8080;
    options.Cpm = true;
    options.MaxSteps = limit;
    LoadDebugSession(*session, *first, options);
    RunDebugCommand(*session, "break 0E000H");
    RunDebugCommand(*session, "break 0F000H");
    start = CpuSeconds();
    RunDebugCommand(*session, "continue");
    const double debugSeconds = CpuSeconds() - start;

    // Worst case for a step back: the moment just before a copy of the
    // machine, so that going back one more runs a whole interval again.
    const std::uint64_t sinceCopy = CountSteps(session->Now) - CountSteps(*session->History.Snapshots.back());
    RunDebugCommand(*session, "reverse-step " + std::to_string(sinceCopy + 1));
    double reverseMs = 0;
    CommandResult back;
    for (int i = 0; i < 3; ++i) {
        const auto wall = std::chrono::steady_clock::now();
        back = RunDebugCommand(*session, "reverse-step");
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall).count();
        reverseMs = ms > reverseMs ? ms : reverseMs;
    }
    std::printf("instructions: %llu plain, %llu debugged\n", static_cast<unsigned long long>(plain->Instructions),
                static_cast<unsigned long long>(session->Now.Cpu.Instructions));
    std::printf("plain run: %.2f s CPU\n", plainSeconds);
    std::printf("continue, history on, two breakpoints: %.2f s CPU (%.2f times as fast as plain)\n", debugSeconds,
                plainSeconds / debugSeconds);
    std::printf("reverse-step there, the slowest of three just before a copy: %.1f ms\n", reverseMs);
    std::printf("history: %zu copies of the machine, %.1f MiB, the last %llu instructions\n", session->History.Snapshots.size(),
                session->History.Snapshots.size() * sizeof(DebugMachine) / 1048576.0,
                static_cast<unsigned long long>(CountSteps(session->Now) - FindOldestTime(*session)));
    std::fputs(back.Text.c_str(), stdout);
    return 0;
}
