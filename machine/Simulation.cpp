#include "Simulation.h"

#include "Interrupts.h"
#include "Trace.h"

#include <algorithm>

namespace {

// What the run found where RunCpuWatched stopped before an instruction at
// an address where nothing is placed. Returns true when that ends the run.
bool IsJumpToNowhere(CpuState& cpu, const ProgramPlaces& places, PlaceFindings& found)
{
    if (cpu.Instructions == 0) {
        found.JumpKind = PlaceFindings::Jump::Start;
        return true;
    }
    if (cpu.LastInterrupt.Step == cpu.Instructions) {
        found.JumpKind = PlaceFindings::Jump::Interrupt;
        found.JumpFrom = found.LastAddress;
        return true;
    }
    const std::uint16_t from = found.LastAddress;
    const std::uint8_t bytes[3] = {cpu.Memory[from], cpu.Memory[static_cast<std::uint16_t>(from + 1)],
                                   cpu.Memory[static_cast<std::uint16_t>(from + 2)]};
    if (cpu.PC == static_cast<std::uint16_t>(from + DescribeOpcode(cpu.Model, bytes[0]).Size)) {
        // Ran on past the end: not a jump, and the run goes on.
        if (places.Placed[from]) {
            found.FellOff = true;
            found.FellFrom = from;
        }
        return false;
    }
    found.JumpKind = PlaceFindings::Jump::Instruction;
    found.JumpFrom = from;
    found.JumpInstruction = FormatInstruction(cpu.Model, bytes);
    return true;
}

// Runs the instruction at PC, which may store into code, and notes whether it did.
void StepPastStore(CpuState& cpu, const ProgramPlaces& places, PlaceFindings& found)
{
    std::uint16_t addresses[2];
    const int count = FindStoreAddresses(cpu, addresses);
    const std::uint16_t from = cpu.PC;
    const std::uint16_t sp = cpu.SP;
    const std::uint8_t bytes[3] = {cpu.Memory[from], cpu.Memory[static_cast<std::uint16_t>(from + 1)],
                                   cpu.Memory[static_cast<std::uint16_t>(from + 2)]};
    const InstructionInfo& info = DescribeOpcode(cpu.Model, bytes[0]);
    StepCpu(cpu);
    found.LastAddress = from;
    // A call on a condition (or RSTV) stores only when it is taken.
    const bool stored = !info.Conditional || cpu.SP == static_cast<std::uint16_t>(sp - 2);
    for (int i = 0; i < count && stored; ++i) {
        if (!places.Code[addresses[i]])
            continue;
        if (++found.CodeStores == 1) {
            found.StoreFrom = from;
            found.StoreInstruction = FormatInstruction(cpu.Model, bytes);
            found.StoreAt = addresses[i];
            found.StoreToStack = cpu.SP == static_cast<std::uint16_t>(sp - 2);
        }
        break;
    }
}

// RunCpu with the program's places watched: returns RunEnd::Watched when a
// jump to nowhere ends the run.
RunEnd RunWatched(CpuState& cpu, std::uint64_t limit, const SimulationSetup& setup)
{
    const ProgramPlaces& places = *setup.Places;
    PlaceFindings& found = *setup.Findings;
    RunWatch watch{places.Placed.data(), places.Code.data(), found.LastAddress};
    for (;;) {
        watch.LastAddress = found.LastAddress;
        const RunEnd end = RunCpuWatched(cpu, limit, watch);
        found.LastAddress = watch.LastAddress;
        if (end != RunEnd::Watched)
            return end;
        if (!places.Placed[cpu.PC]) {
            if (IsJumpToNowhere(cpu, places, found))
                return RunEnd::Watched;
            found.LastAddress = cpu.PC;
            if (StepCpu(cpu) == 0)
                return RunEnd::Halted;
        } else {
            StepPastStore(cpu, places, found);
        }
    }
}

// The core's run for the setup: watched with --map, stopping at marks for
// the debugger, plain otherwise.
RunEnd RunFor(CpuState& cpu, std::uint64_t limit, const SimulationSetup& setup)
{
    if (setup.Places)
        return RunWatched(cpu, limit, setup);
    if (setup.Breaks)
        return RunCpuUntilBreak(cpu, limit, setup.Breaks);
    return RunCpu(cpu, limit);
}

// RunCpu one instruction at a time, with a trace line for each. The HLTs of
// the CP/M traps are left out: they are not the program's.
RunEnd RunTraced(CpuState& cpu, std::uint64_t limit, const SimulationSetup& setup)
{
    for (;;) {
        if (limit != 0 && cpu.Instructions >= limit)
            return RunEnd::StepLimit;
        const std::uint16_t address = cpu.PC;
        const std::uint8_t bytes[3] = {
            cpu.Memory[address],
            cpu.Memory[static_cast<std::uint16_t>(address + 1)],
            cpu.Memory[static_cast<std::uint16_t>(address + 2)],
        };
        const std::uint64_t before = cpu.Instructions;
        const RunEnd end = RunFor(cpu, before + 1, setup);
        if (cpu.Instructions > before) {
            std::string line;
            if (cpu.LastInterrupt.Step == cpu.Instructions)
                line = FormatInterruptLine(cpu.Instructions, address, cpu.LastInterrupt, cpu);
            else if (!(setup.Cpm && cpu.Halted && IsCpmTrap(address)))
                line = FormatTraceLine(cpu.Instructions, address, bytes, cpu);
            std::fwrite(line.data(), 1, line.size(), setup.Trace);
        }
        if (end == RunEnd::Halted || end == RunEnd::Watched)
            return end;
    }
}

} // namespace

std::uint16_t FindStopAddress(const CpuState& cpu)
{
    const std::uint16_t before = static_cast<std::uint16_t>(cpu.PC - 1);
    return cpu.Halted && cpu.Memory[before] == 0x76 ? before : cpu.PC; // 76H: HLT
}

void RaiseInterrupt(CpuState& cpu, const InterruptEvent& event)
{
    RaiseInterruptLine(cpu.Lines, event.Source, event.RstNumber);
}

bool IsHaltedForGood(const CpuState& cpu, const SimulationSetup& setup, const RunProgress& progress)
{
    return cpu.Halted && !cpu.EnablePending && !IsInterruptWaiting(cpu) && progress.NextEvent >= setup.Interrupts.size();
}

StopReason RunSimulation(CpuState& cpu, const SimulationSetup& setup)
{
    RunProgress progress;
    return RunSimulation(cpu, setup, progress);
}

StopReason RunSimulation(CpuState& cpu, const SimulationSetup& setup, RunProgress& progress)
{
    const std::vector<InterruptEvent>& events = setup.Interrupts;
    std::size_t& next = progress.NextEvent;
    for (bool first = !setup.BreakAtStart;; first = false) {
        while (next < events.size() && events[next].Step - 1 <= cpu.Instructions)
            RaiseInterrupt(cpu, events[next++]);
        const std::uint64_t now = CountRunSteps(cpu, progress);
        if (now >= setup.Until)
            return StopReason::Reached;
        if (setup.MaxSteps != 0 && cpu.Instructions >= setup.MaxSteps) {
            // A HLT that was the last instruction allowed is still a halt.
            return IsHaltedForGood(cpu, setup, progress) ? StopReason::Halt : StopReason::StepLimit;
        }
        if (setup.Breaks && !first && setup.Breaks[cpu.PC] && !cpu.Halted)
            return StopReason::Break;
        if (setup.StopRequest && *setup.StopRequest)
            return StopReason::Interrupted;
        std::uint64_t limit = setup.MaxSteps;
        if (setup.Until != UINT64_MAX) {
            const std::uint64_t until = cpu.Instructions + (setup.Until - now);
            limit = limit == 0 ? until : std::min(limit, until);
        }
        if (next < events.size() && (limit == 0 || events[next].Step - 1 < limit))
            limit = events[next].Step - 1;
        const RunEnd end = setup.Trace ? RunTraced(cpu, limit, setup) : RunFor(cpu, limit, setup);
        if (end == RunEnd::Watched)
            return StopReason::LeftProgram;
        if (setup.Cpm && cpu.Halted) {
            const CpmEvent event = ServeCpm(cpu, setup.Console);
            if (event != CpmEvent::NotCpm)
                ++progress.TrapsServed;
            if (event == CpmEvent::Exit)
                return StopReason::CpmExit;
            if (event == CpmEvent::BdosCall)
                continue;
        }
        // A mark at the address after a HLT does not stop a halted
        // processor: it is before no instruction.
        if (end == RunEnd::Break && !cpu.Halted)
            return StopReason::Break;
        if (end != RunEnd::Halted && !(end == RunEnd::Break && IsHaltedForGood(cpu, setup, progress)))
            continue;
        if (next == events.size())
            return StopReason::Halt;
        // Halted with events to come: skip ahead to the next one.
        const std::uint64_t step = events[next].Step;
        while (next < events.size() && events[next].Step == step)
            RaiseInterrupt(cpu, events[next++]);
    }
}
