#include "Simulation.h"

#include "Interrupts.h"
#include "Trace.h"

namespace {

// The vectors an interrupt can jump to: RST 0-7 (INTR) and the 8085's
// TRAP, RST 5.5, 6.5 and 7.5, all below 0040H on a multiple of 4.
bool IsInterruptVector(std::uint16_t address)
{
    return address < 0x40 && address % 4 == 0 && (address % 8 == 0 || address >= 0x24);
}

// Whether the step just made took an interrupt rather than executing the
// instruction at address: one was waiting, and the processor pushed that
// very address and jumped to a vector (no instruction pushes its own address).
bool TookInterrupt(const CpuState& cpu, bool waiting, std::uint16_t address, std::uint16_t stack)
{
    const std::uint16_t pushedAt = static_cast<std::uint16_t>(stack - 2);
    const unsigned pushed = cpu.Memory[pushedAt] | (cpu.Memory[static_cast<std::uint16_t>(pushedAt + 1)] << 8);
    return waiting && cpu.SP == pushedAt && pushed == address && IsInterruptVector(cpu.PC);
}

// RunCpu one instruction at a time, with a trace line for each. The HLTs of
// the CP/M traps are left out: they are not the program's.
RunEnd RunTraced(CpuState& cpu, std::uint64_t limit, const SimulationSetup& setup)
{
    for (;;) {
        if (limit != 0 && cpu.Instructions >= limit)
            return RunEnd::StepLimit;
        const std::uint16_t address = cpu.PC;
        const std::uint16_t stack = cpu.SP;
        const std::uint8_t bytes[3] = {
            cpu.Memory[address],
            cpu.Memory[static_cast<std::uint16_t>(address + 1)],
            cpu.Memory[static_cast<std::uint16_t>(address + 2)],
        };
        const bool waiting = IsInterruptWaiting(cpu);
        const std::uint64_t before = cpu.Instructions;
        const RunEnd end = RunCpu(cpu, before + 1);
        if (cpu.Instructions > before) {
            std::string line;
            if (TookInterrupt(cpu, waiting, address, stack))
                line = FormatInterruptLine(cpu.Instructions, address, cpu.PC, cpu);
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
    switch (event.Source) {
    case InterruptSource::Trap: cpu.Lines.Trap = true; break;
    case InterruptSource::Rst55: cpu.Lines.Rst55 = true; break;
    case InterruptSource::Rst65: cpu.Lines.Rst65 = true; break;
    case InterruptSource::Rst75: cpu.Lines.Rst75 = true; break;
    case InterruptSource::Intr: cpu.Lines.Intr = event.RstNumber; break;
    }
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
