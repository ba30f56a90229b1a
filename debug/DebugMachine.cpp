// Running the machine forward and back: the machine's run loop between stop
// points, the ports and console as the session sees them, and the copies of
// the machine that going back restores.
#include "DebugSession.h"

#include "Cpm.h"
#include "Interrupts.h"
#include "Simulation.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <new>

namespace {

void PrintConsoleByte(DebugSession& session, std::uint8_t byte)
{
    // Output that was shown before the machine went back is not shown again.
    const std::uint64_t index = session.Now.ConsoleWrites++;
    if (index < session.History.ConsolePrinted)
        return;
    session.Output += static_cast<char>(byte);
    session.History.ConsolePrinted = index + 1;
}

std::uint8_t ReadSessionConsole(void* context, std::uint8_t)
{
    DebugSession& session = *static_cast<DebugSession*>(context);
    const std::uint64_t index = session.Now.ConsoleReads++;
    if (index < session.History.ConsoleInputLog.size())
        return static_cast<std::uint8_t>(session.History.ConsoleInputLog[index]);
    const int c = session.ReadConsole ? session.ReadConsole(session.ReadConsoleContext) : -1;
    const std::uint8_t byte = c < 0 ? _ConsoleEndOfInput : static_cast<std::uint8_t>(c);
    session.History.ConsoleInputLog += static_cast<char>(byte);
    return byte;
}

void WriteSessionConsole(void* context, std::uint8_t, std::uint8_t value)
{
    PrintConsoleByte(*static_cast<DebugSession*>(context), value);
}

std::uint8_t ReadSessionPort(void* context, std::uint8_t port)
{
    DebugSession& session = *static_cast<DebugSession*>(context);
    return ReadPortThrough(session.Devices, session.Now.Inputs, port);
}

void WriteSessionPort(void* context, std::uint8_t port, std::uint8_t value)
{
    DebugSession& session = *static_cast<DebugSession*>(context);
    WritePortThrough(session.Devices, session.Now.Out, port, value);
    // Running again from an earlier moment runs these OUTs again: those from
    // this step on are replaced.
    const CpuState& cpu = session.Now.Cpu;
    const std::uint64_t step = cpu.OutInstructions + session.Now.Progress.TrapsServed;
    std::deque<OutEvent>& history = session.History.OutHistory;
    while (!history.empty() && history.back().Step >= step)
        history.pop_back();
    history.push_back({step, cpu.OutInstructions, cpu.OutAddress, port, value});
    if (history.size() > _OutHistoryKept)
        history.pop_front();
}

void PrintCpmByte(void* context, std::uint8_t byte)
{
    PrintConsoleByte(*static_cast<DebugSession*>(context), byte);
}

void WarnCpmFunction(void* context, std::uint8_t function, std::uint16_t returnAddress)
{
    DebugSession& session = *static_cast<DebugSession*>(context);
    if (session.WarnedBdos[function])
        return;
    session.WarnedBdos[function] = true;
    char text[128];
    std::snprintf(text, sizeof text, "BDOS function %02X (returning to %04X) is not served; it returns at once\n",
                  function, returnAddress);
    session.Output += text;
}

IoPorts SessionPorts(DebugSession& session)
{
    IoPorts io;
    io.In = ReadSessionPort;
    io.Out = WriteSessionPort;
    io.Context = &session;
    return io;
}

std::size_t SnapshotCapacity(const DebugSession& session)
{
    return std::max<std::size_t>(2, session.History.HistoryBytes / sizeof(DebugMachine));
}

// The first copy later than time, or end.
auto FindLaterSnapshot(const DebugSession& session, std::uint64_t time)
{
    return std::upper_bound(session.History.Snapshots.begin(), session.History.Snapshots.end(), time,
                            [](std::uint64_t t, const std::unique_ptr<DebugMachine>& m) { return t < CountSteps(*m); });
}

void Restore(DebugSession& session, const DebugMachine& machine)
{
    session.Now = machine;
    session.Now.Cpu.Io = SessionPorts(session);
}

void TakeSnapshot(DebugSession& session)
{
    for (;;) {
        // Allocated without exceptions: the page's module has none.
        std::unique_ptr<DebugMachine> copy(new (std::nothrow) DebugMachine(session.Now));
        if (copy) {
            session.History.Snapshots.push_back(std::move(copy));
            break;
        }
        // --history-size asked for more than there is: the history keeps
        // what fitted, the oldest copy making room for this one.
        if (session.History.Snapshots.size() < 2) {
            std::fputs("Run8085: out of memory for the debugger's history\n", stderr);
            std::abort();
        }
        session.History.Snapshots.pop_front();
        session.History.HistoryBytes = session.History.Snapshots.size() * sizeof(DebugMachine);
        session.Output += "memory ran out: the history is cut to " +
                          std::to_string(session.History.HistoryBytes >> 20) + " MiB\n";
    }
    if (session.History.Snapshots.size() <= SnapshotCapacity(session))
        return;
    session.History.Snapshots.pop_front();
    if (!session.History.HistoryLossSaid) {
        session.History.HistoryLossSaid = true;
        session.Output +=
            "history holds the last " + std::to_string(CountHistoryInstructions(session)) + " instructions\n";
    }
}

// Where RunForward must pause: the next copy of the machine, or where the
// next one is to be taken.
std::uint64_t NextBoundary(const DebugSession& session, std::uint64_t now)
{
    const auto later = FindLaterSnapshot(session, now);
    if (later != session.History.Snapshots.end())
        return CountSteps(**later);
    const std::uint64_t last = session.History.Snapshots.empty() ? 0 : CountSteps(*session.History.Snapshots.back());
    return std::max(now + 1, last + _SnapshotInterval);
}

// The machine has just run into a boundary: a copy already held there is
// the machine as it was (with what commands changed), else one is taken.
void ArriveAtBoundary(DebugSession& session, std::uint64_t boundary)
{
    const std::uint64_t now = CountSteps(session.Now);
    session.History.LatestTime = std::max(session.History.LatestTime, now);
    if (now != boundary)
        return;
    const auto later = FindLaterSnapshot(session, now);
    if (later != session.History.Snapshots.begin() && CountSteps(**std::prev(later)) == now) {
        Restore(session, **std::prev(later));
        return;
    }
    if (later == session.History.Snapshots.end())
        TakeSnapshot(session);
}

CpmConsole SessionConsole(DebugSession& session)
{
    CpmConsole console;
    console.Print = PrintCpmByte;
    console.Warn = WarnCpmFunction;
    console.Context = &session;
    return console;
}

} // namespace

std::uint64_t CountSteps(const DebugMachine& machine)
{
    return CountRunSteps(machine.Cpu, machine.Progress);
}

void LoadDebugSession(DebugSession& session, const CpuState& first, const MachineOptions& options)
{
    session.Options = options;
    session.Setup = SimulationSetup{};
    session.Setup.Interrupts = options.Interrupts;
    session.Setup.MaxSteps = options.MaxSteps;
    session.Setup.Cpm = options.Cpm;
    session.Setup.Console = SessionConsole(session);
    // The session's console replays what was read before when the machine
    // runs again over the same moments.
    session.Devices = PortDevices{};
    if (options.ConsolePort >= 0) {
        const auto port = static_cast<std::uint8_t>(options.ConsolePort);
        PlugPortDevice(session.Devices, port, port, {ReadSessionConsole, WriteSessionConsole, &session});
    }
    session.First = DebugMachine{};
    session.First.Cpu = first;
    for (const PortInput& input : options.Inputs)
        session.First.Inputs[input.Port] = input.Value;
    session.First.Cpu.Io = SessionPorts(session);
    session.History.Snapshots.clear();
    session.History.ConsoleInputLog.clear();
    session.History.ConsolePrinted = 0;
    session.History.LatestTime = 0;
    session.History.HistoryLossSaid = false;
    session.History.OutHistory.clear();
    Restore(session, session.First);
    TakeSnapshot(session);
}

std::vector<OutEvent> FindOutsUntilNow(const DebugSession& session, std::size_t limit)
{
    const std::uint64_t now = CountSteps(session.Now);
    auto end = session.History.OutHistory.end();
    while (end != session.History.OutHistory.begin() && std::prev(end)->Step > now)
        --end;
    const auto count = static_cast<std::size_t>(end - session.History.OutHistory.begin());
    return {end - static_cast<std::ptrdiff_t>(std::min(count, limit)), end};
}

bool IsStuck(const DebugSession& session)
{
    return IsHaltedForGood(session.Now.Cpu, session.Setup, session.Now.Progress);
}

std::uint64_t CountHistoryInstructions(const DebugSession& session)
{
    // The copies need not be _SnapshotInterval apart: commands that change
    // the machine take one where they are.
    return CountSteps(session.Now) - FindOldestTime(session);
}

RunStop RunForward(DebugSession& session, std::uint64_t until, bool useBreaks)
{
    SimulationSetup& setup = session.Setup;
    setup.Breaks = useBreaks ? session.Stops.BreakTable.data() : nullptr;
    setup.StopRequest = session.StopAllowed ? session.StopRequest : nullptr;
    for (bool first = true;; first = false) {
        // The machine runs to the next copy of the history at the latest.
        const std::uint64_t boundary = NextBoundary(session, CountSteps(session.Now));
        setup.Until = std::min(until, boundary);
        setup.BreakAtStart = !first;
        const StopReason stop = RunSimulation(session.Now.Cpu, setup, session.Now.Progress);
        ArriveAtBoundary(session, boundary);
        switch (stop) {
        case StopReason::Reached:
            if (CountSteps(session.Now) < until)
                continue;
            return RunStop::Reached;
        case StopReason::Break: return RunStop::Break;
        case StopReason::Halt: return RunStop::Halted;
        case StopReason::CpmExit: return RunStop::CpmExit;
        case StopReason::StepLimit: return RunStop::StepLimit;
        case StopReason::Interrupted: return RunStop::Interrupted;
        case StopReason::LeftProgram: break; // the session watches no places
        case StopReason::KitReturn:
        case StopReason::KitWaitingKey:
        case StopReason::KitFault: return RunStop::Halted; // the session runs no kit yet
        }
        return RunStop::Reached;
    }
}

std::uint64_t FindOldestTime(const DebugSession& session)
{
    return session.History.Snapshots.empty() ? 0 : CountSteps(*session.History.Snapshots.front());
}

bool GoToTime(DebugSession& session, std::uint64_t time)
{
    const bool held = time >= FindOldestTime(session);
    time = std::max(time, FindOldestTime(session));
    const auto later = FindLaterSnapshot(session, time);
    Restore(session, **std::prev(later));
    RunForward(session, time, false);
    return held;
}

bool NoteMachineChanged(DebugSession& session)
{
    const std::uint64_t now = CountSteps(session.Now);
    const bool cut = session.History.LatestTime > now;
    while (!session.History.Snapshots.empty() && CountSteps(*session.History.Snapshots.back()) >= now)
        session.History.Snapshots.pop_back();
    if (session.History.ConsoleInputLog.size() > session.Now.ConsoleReads)
        session.History.ConsoleInputLog.resize(session.Now.ConsoleReads);
    session.History.ConsolePrinted = session.Now.ConsoleWrites;
    session.History.LatestTime = now;
    TakeSnapshot(session);
    return cut;
}
