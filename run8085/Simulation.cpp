#include "Simulation.h"

#include "Interrupts.h"
#include "Trace.h"

namespace {

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
        const RunEnd end = RunCpu(cpu, before + 1);
        if (cpu.Instructions > before) {
            std::string line;
            if (cpu.LastInterrupt.Step == cpu.Instructions)
                line = FormatInterruptLine(cpu.Instructions, address, cpu.LastInterrupt, cpu);
            else if (!(setup.Cpm && cpu.Halted && IsCpmTrap(address)))
                line = FormatTraceLine(cpu.Instructions, address, bytes, cpu);
            std::fwrite(line.data(), 1, line.size(), setup.Trace);
        }
        if (end == RunEnd::Halted)
            return end;
    }
}

// Whether the processor is halted with nothing that could end the halt.
bool IsHaltedForGood(const CpuState& cpu)
{
    return cpu.Halted && !cpu.EnablePending && !IsInterruptWaiting(cpu);
}

} // namespace

void RaiseInterrupt(CpuState& cpu, const InterruptEvent& event)
{
    RaiseInterruptLine(cpu.Lines, event.Source, event.RstNumber);
}

StopReason RunSimulation(CpuState& cpu, const SimulationSetup& setup)
{
    const std::vector<InterruptEvent>& events = setup.Interrupts;
    std::size_t next = 0;
    for (;;) {
        while (next < events.size() && events[next].Step - 1 <= cpu.Instructions)
            RaiseInterrupt(cpu, events[next++]);
        if (setup.MaxSteps != 0 && cpu.Instructions >= setup.MaxSteps) {
            // A HLT that was the last instruction allowed is still a halt.
            const bool halted = next == events.size() && IsHaltedForGood(cpu);
            return halted ? StopReason::Halt : StopReason::StepLimit;
        }
        std::uint64_t limit = setup.MaxSteps;
        if (next < events.size() && (limit == 0 || events[next].Step - 1 < limit))
            limit = events[next].Step - 1;
        const RunEnd end = setup.Trace ? RunTraced(cpu, limit, setup) : RunCpu(cpu, limit);
        if (setup.Cpm && cpu.Halted) {
            const CpmEvent event = ServeCpm(cpu, setup.Console);
            if (event == CpmEvent::Exit)
                return StopReason::CpmExit;
            if (event == CpmEvent::BdosCall)
                continue;
        }
        if (end != RunEnd::Halted)
            continue;
        if (next == events.size())
            return StopReason::Halt;
        // Halted with events to come: skip ahead to the next one.
        const std::uint64_t step = events[next].Step;
        while (next < events.size() && events[next].Step == step)
            RaiseInterrupt(cpu, events[next++]);
    }
}
