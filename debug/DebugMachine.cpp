// Running the machine forward and back: the core's loop between stop
// points, the ports and console as the session sees them, and the copies of
// the machine that going back restores.
#include "DebugSession.h"

#include "Cpm.h"
#include "Interrupts.h"
#include "Simulation.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace {

void PrintConsoleByte(DebugSession& session, std::uint8_t byte)
{
    // Output that was shown before the machine went back is not shown again.
    const std::uint64_t index = session.Now.ConsoleWrites++;
    if (index < session.ConsolePrinted)
        return;
    session.Output += static_cast<char>(byte);
    session.ConsolePrinted = index + 1;
}

std::uint8_t ReadSessionPort(void* context, std::uint8_t port)
{
    DebugSession& session = *static_cast<DebugSession*>(context);
    if (port != session.Options.ConsolePort)
        return session.Now.Inputs[port];
    const std::uint64_t index = session.Now.ConsoleReads++;
    if (index < session.ConsoleInputLog.size())
        return static_cast<std::uint8_t>(session.ConsoleInputLog[index]);
    const int c = session.ReadConsole ? session.ReadConsole(session.ReadConsoleContext) : -1;
    const std::uint8_t byte = c < 0 ? _ConsoleEndOfInput : static_cast<std::uint8_t>(c);
    session.ConsoleInputLog += static_cast<char>(byte);
    return byte;
}

void WriteSessionPort(void* context, std::uint8_t port, std::uint8_t value)
{
    DebugSession& session = *static_cast<DebugSession*>(context);
    session.Now.Out.Written[port] = true;
    session.Now.Out.Last[port] = value;
    // Running again from an earlier moment runs these OUTs again: those from
    // this step on are replaced.
    const CpuState& cpu = session.Now.Cpu;
    const std::uint64_t step = cpu.OutInstructions + session.Now.TrapsServed;
    std::deque<OutEvent>& history = session.OutHistory;
    while (!history.empty() && history.back().Step >= step)
        history.pop_back();
    history.push_back({step, cpu.OutInstructions, cpu.OutAddress, port, value});
    if (history.size() > _OutHistoryKept)
        history.pop_front();
    if (port == session.Options.ConsolePort)
        PrintConsoleByte(session, value);
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
    return std::max<std::size_t>(2, session.HistoryBytes / sizeof(DebugMachine));
}

// The first copy later than time, or end.
auto FindLaterSnapshot(const DebugSession& session, std::uint64_t time)
{
    return std::upper_bound(session.Snapshots.begin(), session.Snapshots.end(), time,
                            [](std::uint64_t t, const std::unique_ptr<DebugMachine>& m) { return t < CountSteps(*m); });
}

void Restore(DebugSession& session, const DebugMachine& machine)
{
    session.Now = machine;
    session.Now.Cpu.Io = SessionPorts(session);
}

void TakeSnapshot(DebugSession& session)
{
    session.Snapshots.push_back(std::make_unique<DebugMachine>(session.Now));
    if (session.Snapshots.size() <= SnapshotCapacity(session))
        return;
    session.Snapshots.pop_front();
    if (!session.HistoryLossSaid) {
        session.HistoryLossSaid = true;
        session.Output +=
            "history holds the last " + std::to_string(CountHistoryInstructions(session)) + " instructions\n";
    }
}

// Where RunForward must pause: the next copy of the machine, or where the
// next one is to be taken.
std::uint64_t NextBoundary(const DebugSession& session, std::uint64_t now)
{
    const auto later = FindLaterSnapshot(session, now);
    if (later != session.Snapshots.end())
        return CountSteps(**later);
    const std::uint64_t last = session.Snapshots.empty() ? 0 : CountSteps(*session.Snapshots.back());
    return std::max(now + 1, last + _SnapshotInterval);
}

// The machine has just run into a boundary: a copy already held there is
// the machine as it was (with what commands changed), else one is taken.
void ArriveAtBoundary(DebugSession& session, std::uint64_t boundary)
{
    const std::uint64_t now = CountSteps(session.Now);
    session.LatestTime = std::max(session.LatestTime, now);
    if (now != boundary)
        return;
    const auto later = FindLaterSnapshot(session, now);
    if (later != session.Snapshots.begin() && CountSteps(**std::prev(later)) == now) {
        Restore(session, **std::prev(later));
        return;
    }
    if (later == session.Snapshots.end())
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
    return machine.Cpu.Instructions + machine.TrapsServed;
}

void LoadDebugSession(DebugSession& session, const CpuState& first, const MachineOptions& options)
{
    session.Options = options;
    session.Events = options.Interrupts;
    session.First = DebugMachine{};
    session.First.Cpu = first;
    for (const PortInput& input : options.Inputs)
        session.First.Inputs[input.Port] = input.Value;
    session.First.Cpu.Io = SessionPorts(session);
    session.Snapshots.clear();
    session.ConsoleInputLog.clear();
    session.ConsolePrinted = 0;
    session.LatestTime = 0;
    session.OutHistory.clear();
    session.HistoryLossSaid = false;
    Restore(session, session.First);
    TakeSnapshot(session);
}

std::vector<OutEvent> FindOutsUntilNow(const DebugSession& session, std::size_t limit)
{
    const std::uint64_t now = CountSteps(session.Now);
    auto end = session.OutHistory.end();
    while (end != session.OutHistory.begin() && std::prev(end)->Step > now)
        --end;
    const auto count = static_cast<std::size_t>(end - session.OutHistory.begin());
    return {end - static_cast<std::ptrdiff_t>(std::min(count, limit)), end};
}

bool IsStuck(const DebugSession& session)
{
    const CpuState& cpu = session.Now.Cpu;
    return cpu.Halted && !cpu.EnablePending && !IsInterruptWaiting(cpu) &&
           session.Now.NextEvent >= session.Events.size();
}

std::uint64_t CountHistoryInstructions(const DebugSession& session)
{
    return (SnapshotCapacity(session) - 1) * _SnapshotInterval;
}

RunStop RunForward(DebugSession& session, std::uint64_t until, bool useBreaks)
{
    const std::uint64_t maxSteps = session.Options.MaxSteps;
    for (bool first = true;; first = false) {
        DebugMachine& machine = session.Now;
        CpuState& cpu = machine.Cpu;
        while (machine.NextEvent < session.Events.size() &&
               session.Events[machine.NextEvent].Step - 1 <= cpu.Instructions)
            RaiseInterrupt(cpu, session.Events[machine.NextEvent++]);
        const std::uint64_t now = CountSteps(machine);
        if (now >= until)
            return RunStop::Reached;
        if (maxSteps != 0 && cpu.Instructions >= maxSteps)
            return IsStuck(session) ? RunStop::Halted : RunStop::StepLimit;
        if (useBreaks && !first && session.BreakTable[cpu.PC])
            return RunStop::Break;
        if (session.StopAllowed && session.StopRequest && *session.StopRequest)
            return RunStop::Interrupted;

        const std::uint64_t boundary = NextBoundary(session, now);
        std::uint64_t limit = cpu.Instructions + (std::min(until, boundary) - now);
        if (maxSteps != 0)
            limit = std::min(limit, maxSteps);
        if (machine.NextEvent < session.Events.size())
            limit = std::min(limit, session.Events[machine.NextEvent].Step - 1);
        const RunEnd end = useBreaks ? RunCpuUntilBreak(cpu, limit, session.BreakTable.data()) : RunCpu(cpu, limit);
        if (session.Options.Cpm && cpu.Halted) {
            const CpmEvent event = ServeCpm(cpu, SessionConsole(session));
            if (event != CpmEvent::NotCpm)
                ++session.Now.TrapsServed;
            ArriveAtBoundary(session, boundary);
            if (event == CpmEvent::Exit)
                return RunStop::CpmExit;
            if (event == CpmEvent::BdosCall)
                continue;
        }
        ArriveAtBoundary(session, boundary);
        if (end == RunEnd::Break)
            return RunStop::Break;
        if (end != RunEnd::Halted)
            continue;
        if (session.Now.NextEvent >= session.Events.size())
            return RunStop::Halted;
        // Halted with events to come: the next one is raised at once.
        const std::uint64_t step = session.Events[session.Now.NextEvent].Step;
        while (session.Now.NextEvent < session.Events.size() && session.Events[session.Now.NextEvent].Step == step)
            RaiseInterrupt(session.Now.Cpu, session.Events[session.Now.NextEvent++]);
    }
}

std::uint64_t FindOldestTime(const DebugSession& session)
{
    return session.Snapshots.empty() ? 0 : CountSteps(*session.Snapshots.front());
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
    const bool cut = session.LatestTime > now;
    while (!session.Snapshots.empty() && CountSteps(*session.Snapshots.back()) >= now)
        session.Snapshots.pop_back();
    if (session.ConsoleInputLog.size() > session.Now.ConsoleReads)
        session.ConsoleInputLog.resize(session.Now.ConsoleReads);
    session.ConsolePrinted = session.Now.ConsoleWrites;
    session.LatestTime = now;
    TakeSnapshot(session);
    return cut;
}
