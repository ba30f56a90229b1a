#include "Motion.h"

#include "Expression.h"
#include "InstructionSet.h"
#include "Interrupts.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

namespace {

constexpr std::uint8_t _UserBreak = 1;
constexpr std::uint8_t _GoalBreak = 2;
constexpr std::uint8_t _OutsideBreak = 4; // with a map: nothing is placed here

// --- Call depth, as one step changes it ---

struct StepBefore {
    std::uint16_t Pc = 0;
    std::uint16_t Sp = 0;
    std::uint8_t Opcode = 0;
    bool Waiting = false;
};

StepBefore NoteBefore(const DebugSession& session)
{
    const CpuState& cpu = session.Now.Cpu;
    return {cpu.PC, cpu.SP, cpu.Memory[cpu.PC], IsInterruptWaiting(cpu) || cpu.EnablePending};
}

// A call or a restart: both push the address to come back to.
bool IsCall(CpuModel model, std::uint8_t opcode)
{
    const ControlKind control = DescribeOpcode(model, opcode).Control;
    return control == ControlKind::Call || control == ControlKind::Restart;
}

bool IsReturn(CpuModel model, std::uint8_t opcode)
{
    return DescribeOpcode(model, opcode).Control == ControlKind::Return;
}

std::uint16_t WordAt(const CpuState& cpu, std::uint16_t address)
{
    return static_cast<std::uint16_t>(cpu.Memory[address] | (cpu.Memory[static_cast<std::uint16_t>(address + 1)] << 8));
}

// +1 for a call taken (an instruction or an interrupt), -1 for a return
// taken, else 0.
int DepthChange(const StepBefore& before, const CpuState& after)
{
    if (after.SP == static_cast<std::uint16_t>(before.Sp - 2)) {
        const std::uint16_t pushed = WordAt(after, after.SP);
        const int size = DescribeOpcode(after.Model, before.Opcode).Size;
        if (before.Waiting && pushed == before.Pc && after.PC < 0x48)
            return 1;
        if (IsCall(after.Model, before.Opcode) && pushed == static_cast<std::uint16_t>(before.Pc + size))
            return 1;
    }
    if (after.SP == static_cast<std::uint16_t>(before.Sp + 2) && IsReturn(after.Model, before.Opcode))
        return -1;
    return 0;
}

// --- Watchpoints ---

std::vector<std::int64_t> ReadWatched(const DebugSession& session)
{
    std::vector<std::int64_t> values;
    for (const DebugBreak& watch : session.Stops.Breaks) {
        if (watch.Kind != BreakKind::Watchpoint || !watch.Enabled || watch.Watches != WatchKind::Write)
            continue;
        if (!watch.Register.empty()) {
            values.push_back(FindRegisterInfo(watch.Register)->Read(session.Now.Cpu));
            continue;
        }
        for (unsigned address = watch.From; address <= watch.To; ++address)
            values.push_back(session.Now.Cpu.Memory[address]);
    }
    return values;
}

// The stop line of the first watched value that differs, or "".
std::string FindWatchChange(const DebugSession& session, const std::vector<std::int64_t>& from,
                            const std::vector<std::int64_t>& to)
{
    std::size_t at = 0;
    for (const DebugBreak& watch : session.Stops.Breaks) {
        if (watch.Kind != BreakKind::Watchpoint || !watch.Enabled || watch.Watches != WatchKind::Write)
            continue;
        const int width = watch.Register.empty() ? 1 : ExprWidth(*FindRegisterInfo(watch.Register));
        const unsigned count = watch.Register.empty() ? watch.To - watch.From + 1u : 1u;
        for (unsigned i = 0; i < count; ++i, ++at) {
            if (from[at] == to[at])
                continue;
            const std::string name = watch.Register.empty() ? "[" + FormatHex(watch.From + i, 4) + "]" : watch.Register;
            const int digits = width == 0 ? 1 : width * 2;
            char text[64];
            std::snprintf(text, sizeof text, "%0*llX -> %0*llX", digits, static_cast<unsigned long long>(from[at]),
                          digits, static_cast<unsigned long long>(to[at]));
            return "watchpoint " + std::to_string(watch.Number) + ": " + name + " " + text;
        }
    }
    return "";
}

bool HasWatchpoints(const DebugSession& session)
{
    return std::any_of(session.Stops.Breaks.begin(), session.Stops.Breaks.end(),
                       [](const DebugBreak& b) { return b.Kind == BreakKind::Watchpoint && b.Enabled; });
}

StopReport DescribeRunStop(RunStop stop)
{
    switch (stop) {
    case RunStop::Halted: return {StopKind::Halted, "halted"};
    case RunStop::CpmExit: return {StopKind::CpmExit, "exited through 0000H"};
    case RunStop::StepLimit: return {StopKind::StepLimit, "step limit"};
    case RunStop::Interrupted: return {StopKind::Interrupted, "interrupted"};
    case RunStop::Reached:
    case RunStop::Break: break;
    }
    return {};
}

// A step that ends on a halt with nothing to wake it says so.
StopReport NoteHalt(const DebugSession& session, StopReport report)
{
    if (report.Kind == StopKind::Step && IsStuck(session))
        return {StopKind::Halted, "halted"};
    return report;
}

StopReport ReportStartOfHistory()
{
    return {StopKind::StartOfHistory, "start of history"};
}

// Going back is stopped by Ctrl-C too; a search looks every so many steps.
constexpr std::uint64_t _StopCheckMask = 4095;

bool IsStopRequested(const DebugSession& session)
{
    return session.StopRequest && *session.StopRequest;
}

// Interrupted going back: the machine at the oldest moment searched.
StopReport GoToInterrupted(DebugSession& session, std::uint64_t searched)
{
    GoToTime(session, searched);
    return {StopKind::Interrupted, "interrupted"};
}

// --- Read and access watchpoints ---

// What the next step may read and store, noted before it.
struct Accesses {
    std::uint16_t Loads[2] = {};
    int LoadCount = 0;
    std::uint16_t Stores[2] = {};
    std::uint8_t Old[2] = {}; // the bytes at Stores before
    int StoreCount = 0;
    std::uint16_t Pc = 0;
    std::uint8_t Opcode = 0;
    std::uint64_t Interrupted = 0; // LastInterrupt.Step before
};

bool HasAccessWatches(const DebugSession& session)
{
    return std::any_of(session.Stops.Breaks.begin(), session.Stops.Breaks.end(), [](const DebugBreak& b) {
        return b.Kind == BreakKind::Watchpoint && b.Enabled && b.Watches != WatchKind::Write;
    });
}

Accesses NoteAccesses(const DebugSession& session)
{
    const CpuState& cpu = session.Now.Cpu;
    Accesses a;
    a.Pc = cpu.PC;
    a.Opcode = cpu.Memory[cpu.PC];
    a.Interrupted = cpu.LastInterrupt.Step;
    a.LoadCount = FindLoadAddresses(cpu, a.Loads);
    a.StoreCount = FindStoreAddresses(cpu, a.Stores);
    for (int i = 0; i < a.StoreCount; ++i)
        a.Old[i] = cpu.Memory[a.Stores[i]];
    return a;
}

// The stop line of the first read or access watchpoint the step just run
// touched, or "".
std::string FindAccessHit(const DebugSession& session, Accesses a)
{
    const CpuState& cpu = session.Now.Cpu;
    if (cpu.LastInterrupt.Step != a.Interrupted) {
        // An interrupt was taken instead: it pushed PC, and read nothing.
        a.LoadCount = 0;
        a.StoreCount = 2;
        a.Stores[0] = cpu.SP;
        a.Stores[1] = static_cast<std::uint16_t>(cpu.SP + 1);
        a.Old[0] = a.Old[1] = 0;
    } else {
        const InstructionInfo& info = DescribeOpcode(cpu.Model, a.Opcode);
        if (info.Conditional && info.Control != ControlKind::Jump && cpu.PC == a.Pc + info.Size)
            a.LoadCount = a.StoreCount = 0; // a call or return whose condition failed
    }
    for (const DebugBreak& watch : session.Stops.Breaks) {
        if (watch.Kind != BreakKind::Watchpoint || !watch.Enabled || watch.Watches == WatchKind::Write)
            continue;
        const auto inside = [&](std::uint16_t address) { return address >= watch.From && address <= watch.To; };
        const char* kind = watch.Watches == WatchKind::Read ? "read watchpoint " : "access watchpoint ";
        for (int i = 0; i < a.LoadCount; ++i) {
            if (!inside(a.Loads[i]))
                continue;
            char text[16];
            std::snprintf(text, sizeof text, "= %02X", cpu.Memory[a.Loads[i]]);
            return kind + std::to_string(watch.Number) + ": [" + FormatHex(a.Loads[i], 4) + "] " + text;
        }
        for (int i = 0; watch.Watches == WatchKind::Access && i < a.StoreCount; ++i) {
            if (!inside(a.Stores[i]))
                continue;
            char text[32];
            std::snprintf(text, sizeof text, "%02X -> %02X", a.Old[i], cpu.Memory[a.Stores[i]]);
            return kind + std::to_string(watch.Number) + ": [" + FormatHex(a.Stores[i], 4) + "] " + text;
        }
    }
    return "";
}

// One step with the watchpoints checked; Reached when it stepped.
RunStop StepWatched(DebugSession& session, std::string& watchReason, StepBefore& before)
{
    const std::vector<std::int64_t> old = ReadWatched(session);
    const bool access = HasAccessWatches(session);
    const Accesses accesses = access ? NoteAccesses(session) : Accesses{};
    before = NoteBefore(session);
    const RunStop stop = RunForward(session, CountSteps(session.Now) + 1, false);
    if (stop == RunStop::Reached) {
        watchReason = FindWatchChange(session, old, ReadWatched(session));
        if (watchReason.empty() && access)
            watchReason = FindAccessHit(session, accesses);
    }
    return stop;
}

// With a map: whether the step just run left the program (a trainer kit's
// RST 1 or RST 5, a jump astray), as the machine decides it for every front
// end; then the report says which instruction, on its source line.
// previousPc, when known (not -1), spares going back a step to learn where
// the step came from.
bool LeftProgram(DebugSession& session, StopReport& report, int previousPc = -1)
{
    const std::uint64_t now = CountSteps(session.Now);
    // A halted processor has left nothing: the machine says it halted.
    if (!session.HasMap || !(session.Stops.BreakTable[session.Now.Cpu.PC] & _OutsideBreak) || now == 0 ||
        session.Now.Cpu.Halted)
        return false;
    PlaceFindings found;
    if (previousPc >= 0) {
        found.LastAddress = static_cast<std::uint16_t>(previousPc);
    } else {
        if (!GoToTime(session, now - 1))
            return false;
        found.LastAddress = session.Now.Cpu.PC;
        GoToTime(session, now);
    }
    if (!IsLeavingProgram(session.Now.Cpu, session.Places, found))
        return false;
    report = {StopKind::LeftProgram,
              "left the program: " + FormatLeftProgramNote(session.Places, found, session.Now.Cpu)};
    return true;
}

void ClearOutsideMarks(DebugSession& session)
{
    for (std::uint8_t& mark : session.Stops.BreakTable)
        mark = static_cast<std::uint8_t>(mark & ~_OutsideBreak);
}

enum class Goal : std::uint8_t { None, Return, Finish, Advance };

// Runs forward to a stop; Return stops where PC and SP are goalPc and goalSp
// (back from a call), Finish when the current subroutine returns, Advance
// at goalPc or when the current subroutine returns.
StopReport Resume(DebugSession& session, Goal goal, std::uint16_t goalPc, std::uint16_t goalSp, std::uint64_t until)
{
    const bool slow = HasWatchpoints(session) || goal == Goal::Finish || goal == Goal::Advance;
    session.StopAllowed = true;
    if (goal == Goal::Return)
        session.Stops.BreakTable[goalPc] |= _GoalBreak;
    StopReport report;
    int depth = 0;
    bool outsideCleared = false;
    for (;;) {
        RunStop stop;
        std::string reason;
        if (slow) {
            StepBefore before;
            stop = StepWatched(session, reason, before);
            if (stop == RunStop::Reached) {
                const CpuState& cpu = session.Now.Cpu;
                depth += DepthChange(before, cpu);
                if (!reason.empty()) {
                    report = {StopKind::Watchpoint, reason};
                    break;
                }
                if (((goal == Goal::Finish || goal == Goal::Advance) && depth < 0) ||
                    (goal == Goal::Advance && cpu.PC == goalPc) ||
                    (goal == Goal::Return && cpu.PC == goalPc && cpu.SP == goalSp)) {
                    report = {StopKind::Finished, ""};
                    break;
                }
                if ((session.Stops.BreakTable[cpu.PC] & _UserBreak) && CheckBreakpoints(session, reason, true)) {
                    report = {StopKind::Breakpoint, reason};
                    break;
                }
                if (LeftProgram(session, report, before.Pc))
                    break;
                if (CountSteps(session.Now) >= until) {
                    report = {StopKind::None, ""};
                    break;
                }
                continue;
            }
        } else {
            stop = RunForward(session, until, true);
            const CpuState& cpu = session.Now.Cpu;
            if (stop == RunStop::Break) {
                if (goal == Goal::Return && cpu.PC == goalPc && cpu.SP == goalSp) {
                    report = {StopKind::Finished, ""};
                    break;
                }
                if ((session.Stops.BreakTable[cpu.PC] & _UserBreak) && CheckBreakpoints(session, reason, true)) {
                    report = {StopKind::Breakpoint, reason};
                    break;
                }
                if (LeftProgram(session, report))
                    break;
                if (session.Stops.BreakTable[cpu.PC] & _OutsideBreak) {
                    // Already outside the program: run on there without
                    // stopping at each instruction.
                    ClearOutsideMarks(session);
                    outsideCleared = true;
                }
                continue;
            }
            if (stop == RunStop::Reached) {
                report = {StopKind::None, ""};
                break;
            }
        }
        report = DescribeRunStop(stop);
        break;
    }
    if (goal == Goal::Return || outsideCleared)
        RebuildBreakTable(session);
    session.StopAllowed = false;
    return report;
}

// The latest moment of the history at or before time.
std::uint64_t SnapshotTimeBefore(const DebugSession& session, std::uint64_t time)
{
    std::uint64_t found = FindOldestTime(session);
    for (const auto& snapshot : session.History.Snapshots) {
        const std::uint64_t t = CountSteps(*snapshot);
        if (t > time)
            break;
        found = t;
    }
    return found;
}

// Backwards by call depth: the latest moment before now whose depth is at
// most the depth now plus relative (0 for reverse-next, -1 for
// reverse-finish).
StopReport DepthBackward(DebugSession& session, int relative)
{
    std::uint64_t end = CountSteps(session.Now);
    if (end <= FindOldestTime(session))
        return ReportStartOfHistory();
    // Most often the step just before is the answer.
    GoToTime(session, end - 1);
    const StepBefore before = NoteBefore(session);
    RunForward(session, end, false);
    const int change = DepthChange(before, session.Now.Cpu);
    if (change >= -relative) {
        GoToTime(session, end - 1);
        return {};
    }
    while (end > FindOldestTime(session)) {
        if (IsStopRequested(session))
            return GoToInterrupted(session, end);
        const std::uint64_t start = SnapshotTimeBefore(session, end - 1);
        GoToTime(session, start);
        std::map<int, std::uint64_t> latest; // depth -> the latest moment at it
        int depth = 0;
        while (CountSteps(session.Now) < end) {
            if ((CountSteps(session.Now) & _StopCheckMask) == 0 && IsStopRequested(session))
                return GoToInterrupted(session, end);
            latest[depth] = CountSteps(session.Now);
            const StepBefore step = NoteBefore(session);
            if (RunForward(session, CountSteps(session.Now) + 1, false) != RunStop::Reached)
                break;
            depth += DepthChange(step, session.Now.Cpu);
        }
        std::int64_t best = -1;
        for (const auto& [d, t] : latest) {
            if (d <= depth + relative)
                best = std::max<std::int64_t>(best, static_cast<std::int64_t>(t));
        }
        if (best >= 0) {
            GoToTime(session, static_cast<std::uint64_t>(best));
            return {};
        }
        relative += depth;
        end = start;
    }
    GoToTime(session, FindOldestTime(session));
    return ReportStartOfHistory();
}

bool HasStops(const DebugSession& session)
{
    return std::any_of(session.Stops.Breaks.begin(), session.Stops.Breaks.end(),
                       [](const DebugBreak& b) { return b.Enabled; });
}

// The latest moment t, lower <= t < end, where a breakpoint holds (PC at t
// on it, its condition true) or a watched value changes in the step after
// t: where going back from end stops. The history is searched a copy's
// stretch at a time, the latest first, each stretch run forward again.
struct FoundStop {
    std::int64_t Time = -1;   // -1: none
    std::string Watch;        // the watchpoint's line when one changed at Time
    bool Interrupted = false; // Ctrl-C: nothing found from Searched to end
    std::uint64_t Searched = 0;
};

FoundStop FindLatestStop(DebugSession& session, std::uint64_t lower, std::uint64_t end)
{
    FoundStop found;
    found.Searched = end;
    if (!HasStops(session) || end <= lower)
        return found;
    const bool slow = HasWatchpoints(session);
    const bool access = HasAccessWatches(session);
    // Only the user's breakpoints stop the search, not each instruction
    // outside the program.
    ClearOutsideMarks(session);
    std::string unused;
    while (end > lower && found.Time < 0) {
        if (IsStopRequested(session)) {
            found.Interrupted = true;
            break;
        }
        const std::uint64_t start = std::max(lower, SnapshotTimeBefore(session, end - 1));
        GoToTime(session, start);
        if ((session.Stops.BreakTable[session.Now.Cpu.PC] & _UserBreak) && CheckBreakpoints(session, unused, false))
            found.Time = static_cast<std::int64_t>(start);
        if (!slow) {
            while (RunForward(session, end, true) == RunStop::Break) {
                if (CheckBreakpoints(session, unused, false))
                    found.Time = static_cast<std::int64_t>(CountSteps(session.Now));
            }
        } else {
            for (std::uint64_t t = start; t < end; ++t) {
                if (t != start && (session.Stops.BreakTable[session.Now.Cpu.PC] & _UserBreak) &&
                    CheckBreakpoints(session, unused, false)) {
                    found.Time = static_cast<std::int64_t>(t);
                    found.Watch.clear();
                }
                if ((t & _StopCheckMask) == 0 && IsStopRequested(session)) {
                    // What this stretch found may not be its latest.
                    found.Time = -1;
                    found.Interrupted = true;
                    break;
                }
                const std::vector<std::int64_t> before = ReadWatched(session);
                const Accesses accesses = access ? NoteAccesses(session) : Accesses{};
                if (RunForward(session, t + 1, false) != RunStop::Reached)
                    break;
                // Going backwards, the value changes from what it is after the step to what it was before.
                std::string change = FindWatchChange(session, ReadWatched(session), before);
                if (change.empty() && access)
                    change = FindAccessHit(session, accesses);
                if (!change.empty()) {
                    found.Time = static_cast<std::int64_t>(t);
                    found.Watch = change;
                }
            }
            if (found.Interrupted)
                break;
        }
        if (found.Time < 0)
            end = start;
    }
    found.Searched = end;
    RebuildBreakTable(session);
    return found;
}

// Goes to the stop found, or when interrupted to the oldest moment
// searched, and says which.
StopReport GoToFoundStop(DebugSession& session, const FoundStop& found)
{
    if (found.Time < 0)
        return GoToInterrupted(session, found.Searched);
    GoToTime(session, static_cast<std::uint64_t>(found.Time));
    if (!found.Watch.empty())
        return {StopKind::Watchpoint, found.Watch};
    std::string reason;
    CheckBreakpoints(session, reason, true);
    return {StopKind::Breakpoint, reason};
}

// reverse-next and reverse-finish: to the moment the call depth says, but
// stopping at a breakpoint or watched change on the way.
StopReport DepthBackwardStopping(DebugSession& session, int relative)
{
    const std::uint64_t from = CountSteps(session.Now);
    const StopReport report = DepthBackward(session, relative);
    if (report.Kind == StopKind::Interrupted)
        return report;
    const std::uint64_t to = CountSteps(session.Now);
    const FoundStop found = FindLatestStop(session, to + 1, from);
    if (found.Time >= 0 || found.Interrupted)
        return GoToFoundStop(session, found);
    if (CountSteps(session.Now) != to)
        GoToTime(session, to);
    return report;
}

} // namespace

void RebuildBreakTable(DebugSession& session)
{
    std::fill(session.Stops.BreakTable.begin(), session.Stops.BreakTable.end(), 0);
    if (session.HasMap) {
        for (std::size_t address = 0; address < session.Stops.BreakTable.size(); ++address) {
            if (!session.Places.Placed[address])
                session.Stops.BreakTable[address] = _OutsideBreak;
        }
    }
    for (const DebugBreak& b : session.Stops.Breaks) {
        if (b.Kind == BreakKind::Breakpoint && b.Enabled)
            session.Stops.BreakTable[b.Address] |= _UserBreak;
    }
}

bool CheckBreakpoints(DebugSession& session, std::string& reason, bool count)
{
    const CpuState& cpu = session.Now.Cpu;
    // Halted, PC is past the HLT: the instruction there is not about to run.
    if (cpu.Halted)
        return false;
    const std::uint16_t pc = cpu.PC;
    for (std::size_t i = 0; i < session.Stops.Breaks.size(); ++i) {
        DebugBreak& b = session.Stops.Breaks[i];
        if (b.Kind != BreakKind::Breakpoint || b.Address != pc || !b.Enabled)
            continue;
        std::string error;
        if (!b.Condition.empty()) {
            ExprValue value;
            const bool ok = EvaluateExpression(session, b.Condition, value, error);
            if (ok && value.Value == 0)
                continue;
        }
        if (!count)
            return true;
        ++b.Hits;
        if (b.Ignore > 0) {
            --b.Ignore;
            continue;
        }
        reason = std::string(b.Temporary ? "temporary breakpoint " : "breakpoint ") + std::to_string(b.Number) + ", " +
                 DescribeAddress(session.Map, pc, true);
        if (!error.empty())
            reason += " (condition: " + error + ")";
        session.Stops.LastHit = b.Number;
        if (b.Temporary) {
            session.Stops.Breaks.erase(session.Stops.Breaks.begin() + static_cast<std::ptrdiff_t>(i));
            RebuildBreakTable(session);
        }
        return true;
    }
    return false;
}

StopReport StepForward(DebugSession& session, std::uint64_t count)
{
    for (std::uint64_t i = 0; i < count; ++i) {
        std::string reason;
        StepBefore before;
        session.StopAllowed = i > 0;
        const RunStop stop = StepWatched(session, reason, before);
        session.StopAllowed = false;
        if (stop != RunStop::Reached)
            return DescribeRunStop(stop);
        if (!reason.empty())
            return {StopKind::Watchpoint, reason};
        StopReport left;
        if (LeftProgram(session, left, before.Pc))
            return left;
        if (i + 1 < count && (session.Stops.BreakTable[session.Now.Cpu.PC] & _UserBreak) &&
            CheckBreakpoints(session, reason, true))
            return {StopKind::Breakpoint, reason};
    }
    return NoteHalt(session, {});
}

StopReport NextForward(DebugSession& session, std::uint64_t count)
{
    for (std::uint64_t i = 0; i < count; ++i) {
        // As step N: Ctrl-C stops it between its steps.
        if (i > 0 && IsStopRequested(session))
            return {StopKind::Interrupted, "interrupted"};
        std::string reason;
        StepBefore before;
        const RunStop stop = StepWatched(session, reason, before);
        if (stop != RunStop::Reached)
            return DescribeRunStop(stop);
        if (!reason.empty())
            return {StopKind::Watchpoint, reason};
        const CpuState& cpu = session.Now.Cpu;
        if (DepthChange(before, cpu) > 0) {
            const StopReport report = Resume(session, Goal::Return, WordAt(cpu, cpu.SP), before.Sp, UINT64_MAX);
            if (report.Kind != StopKind::Finished)
                return report;
        } else if (StopReport left; LeftProgram(session, left, before.Pc)) {
            return left;
        }
        // As step N does: a breakpoint between the steps stops them.
        if (i + 1 < count && (session.Stops.BreakTable[session.Now.Cpu.PC] & _UserBreak) &&
            CheckBreakpoints(session, reason, true))
            return {StopKind::Breakpoint, reason};
    }
    return NoteHalt(session, {});
}

StopReport FinishForward(DebugSession& session)
{
    StopReport report = Resume(session, Goal::Finish, 0, 0, UINT64_MAX);
    if (report.Kind == StopKind::Finished)
        report = {};
    return NoteHalt(session, report);
}

StopReport AdvanceForward(DebugSession& session, std::uint16_t address)
{
    StopReport report = Resume(session, Goal::Advance, address, 0, UINT64_MAX);
    if (report.Kind == StopKind::Finished)
        report = {};
    return NoteHalt(session, report);
}

StopReport UntilForward(DebugSession& session)
{
    const std::uint16_t startPc = session.Now.Cpu.PC;
    const std::uint16_t startSp = session.Now.Cpu.SP;
    for (;;) {
        const StopReport report = NextForward(session, 1);
        const CpuState& cpu = session.Now.Cpu;
        // Past the start in this frame, or out of it: a jump back (a loop) runs on.
        if (report.Kind != StopKind::Step || cpu.PC > startPc || cpu.SP > startSp)
            return report;
        if (session.StopRequest && *session.StopRequest)
            return {StopKind::Interrupted, "interrupted"};
    }
}

StopReport ContinueForward(DebugSession& session, std::uint64_t until)
{
    return NoteHalt(session, Resume(session, Goal::None, 0, 0, until));
}

StopReport StepBackward(DebugSession& session, std::uint64_t count)
{
    const std::uint64_t now = CountSteps(session.Now);
    if (now <= FindOldestTime(session))
        return ReportStartOfHistory();
    const std::uint64_t target = now > count ? now - count : 0;
    // A breakpoint or a watched change between the steps stops them.
    const FoundStop found = FindLatestStop(session, std::max(target, FindOldestTime(session)) + 1, now);
    if (found.Time >= 0 || found.Interrupted)
        return GoToFoundStop(session, found);
    if (!GoToTime(session, target) || count > now)
        return ReportStartOfHistory();
    return {};
}

StopReport NextBackward(DebugSession& session, std::uint64_t count)
{
    for (std::uint64_t i = 0; i < count; ++i) {
        const StopReport report = DepthBackwardStopping(session, 0);
        if (report.Kind != StopKind::Step)
            return report;
    }
    return {};
}

StopReport FinishBackward(DebugSession& session)
{
    return DepthBackwardStopping(session, -1);
}

StopReport ContinueBackward(DebugSession& session)
{
    const FoundStop found = FindLatestStop(session, FindOldestTime(session), CountSteps(session.Now));
    if (found.Time >= 0 || found.Interrupted)
        return GoToFoundStop(session, found);
    GoToTime(session, FindOldestTime(session));
    return ReportStartOfHistory();
}
