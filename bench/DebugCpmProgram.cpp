// The debugger's figures on a CP/M program (bench/run8085-debug): the same
// program run plainly by the core, then under a debugging session with its
// history on and two breakpoints set, to the end or the step limit; then the
// time one reverse-step takes there, and the history's memory; then each
// backward motion from the end, and how soon a stop request (Ctrl-C, here
// an alarm a second in) stops those that search the whole history. CPU
// times (this process's user and system time) are printed on standard
// output.
//
//   DebugCpmProgram [--max-steps N] FILE.COM
#include "Cpm.h"
#include "Cpu.h"
#include "DebugSession.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

#include <sys/time.h>

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

volatile std::sig_atomic_t StopRequested = 0;

void RequestStop(int)
{
    StopRequested = 1;
}

double WallMs(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

// One command from the end of the run; with a request after delayMs (0:
// none), how long it ran past the request.
void TimeFromEnd(DebugSession& session, std::uint64_t end, const std::string& command, int delayMs)
{
    if (CountSteps(session.Now) != end)
        GoToTime(session, end);
    StopRequested = 0;
    session.StopRequest = &StopRequested;
    if (delayMs > 0) {
        itimerval timer = {};
        timer.it_value.tv_sec = delayMs / 1000;
        timer.it_value.tv_usec = (delayMs % 1000) * 1000;
        setitimer(ITIMER_REAL, &timer, nullptr);
    }
    const auto wall = std::chrono::steady_clock::now();
    const double cpuStart = CpuSeconds();
    const std::string said = RunDebugCommand(session, command.substr(0, command.find(" ("))).Text;
    const double ms = WallMs(wall);
    const double cpuMs = (CpuSeconds() - cpuStart) * 1000;
    const itimerval off = {};
    setitimer(ITIMER_REAL, &off, nullptr);
    const std::string first = said.substr(0, said.find('\n'));
    if (delayMs > 0 && StopRequested)
        std::printf("%-34s stopped %.0f ms after the request (%s, %llu steps back)\n", command.c_str(), ms - delayMs,
                    first.c_str(), static_cast<unsigned long long>(end - CountSteps(session.Now)));
    else
        std::printf("%-34s %.1f ms, %.0f ms CPU (%s, %llu steps back)\n", command.c_str(), ms, cpuMs, first.c_str(),
                    static_cast<unsigned long long>(end - CountSteps(session.Now)));
    session.StopRequest = nullptr;
}

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

    // Every backward motion from the end.
    struct sigaction action = {};
    action.sa_handler = RequestStop;
    sigaction(SIGALRM, &action, nullptr);
    const std::uint64_t end = session->History.LatestTime;
    std::printf("backward motions from the end (wall time):\n");
    TimeFromEnd(*session, end, "reverse-step", 0);
    TimeFromEnd(*session, end, "reverse-step 1000000", 0);
    TimeFromEnd(*session, end, "reverse-next", 0);
    TimeFromEnd(*session, end, "reverse-continue", 0);
    // Out one level at a time: the last ones search the whole history.
    GoToTime(*session, end);
    for (int i = 0; i < 4; ++i) {
        const std::uint64_t from = CountSteps(session->Now);
        TimeFromEnd(*session, from, "reverse-finish", 1000);
    }
    RunDebugCommand(*session, "watch 0E000H");
    TimeFromEnd(*session, end, "reverse-step 1000000", 0);
    TimeFromEnd(*session, end, "reverse-continue", 1000);

    // With a map that places only the first instruction, all the rest is
    // outside the program: going back by breakpoint must not stop at each
    // instruction there.
    RunDebugCommand(*session, "delete 3");
    SourceMap map;
    map.SourceName = "start.asm";
    map.SourceLines = {"        JMP 0113H"};
    map.Records = {{1, 1, 0x0100, 3, false}};
    SetDebugSourceMap(*session, map);
    TimeFromEnd(*session, end, "reverse-continue (map)", 0);
    return 0;
}
