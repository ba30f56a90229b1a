// Every call of the checker into the simulator is in this file.
#include "RunCase.h"

#include "Cpu.h"
#include "ImageState.h"
#include "Options.h"
#include "ProgramPlaces.h"

#include <algorithm>
#include <cstring>

struct CaseMachine {
    CpuState Cpu;
    MachineImage Image;          // the program's starting image
    CpuModel Model = CpuModel::I8085;
    ProgramPlaces Places;        // where the program placed bytes
    const SourceMap* Map = nullptr;
    std::vector<std::uint8_t> Watched = std::vector<std::uint8_t>(65536); // expected bytes of the case being run
};

void CaseMachineDeleter::operator()(CaseMachine* machine) const
{
    delete machine;
}

namespace {

// The values IN reads and the values OUT wrote during one case.
struct CasePorts {
    std::vector<std::uint8_t> Feed[256];
    std::size_t Read[256] = {};
    std::vector<PortBytes> Out;
    std::size_t OutCount = 0;
};

std::uint8_t ReadCasePort(void* context, std::uint8_t port)
{
    CasePorts& ports = *static_cast<CasePorts*>(context);
    const std::vector<std::uint8_t>& feed = ports.Feed[port];
    if (feed.empty())
        return 0;
    const std::size_t index = ports.Read[port] < feed.size() ? ports.Read[port]++ : feed.size() - 1;
    return feed[index];
}

void WriteCasePort(void* context, std::uint8_t port, std::uint8_t value)
{
    CasePorts& ports = *static_cast<CasePorts*>(context);
    if (ports.OutCount >= _MaxOutValues)
        return;
    ++ports.OutCount;
    for (PortBytes& out : ports.Out) {
        if (out.Port == port) {
            out.Bytes.push_back(value);
            return;
        }
    }
    ports.Out.push_back({port, {value}});
}

// A source as Run8085's --interrupt spells it, read from the core's table of
// sources: TRAP, RST7.5, RST6.5, RST5.5, or INTR:n with the RST n on the bus.
std::optional<InterruptEvent> ParseEvent(std::uint64_t step, const std::string& source)
{
    InterruptEvent event;
    event.Step = step;
    for (const InterruptSourceInfo& info : _InterruptSources) {
        const std::string name = info.OptionName;
        event.Source = info.Source;
        if (info.Source != InterruptSource::Intr && source == name)
            return event;
        if (info.Source == InterruptSource::Intr && source.size() == name.size() + 2 &&
            source.compare(0, name.size() + 1, name + ":") == 0 && source.back() >= '0' && source.back() <= '7') {
            event.RstNumber = static_cast<std::uint8_t>(source.back() - '0');
            return event;
        }
    }
    return std::nullopt;
}

void SetRegister(CpuState& cpu, const NamedValue& value)
{
    const auto high = static_cast<std::uint8_t>(value.Value >> 8);
    const auto low = static_cast<std::uint8_t>(value.Value);
    const std::string& n = value.Name;
    if (n == "A") cpu.A = low;
    else if (n == "B") cpu.B = low;
    else if (n == "C") cpu.C = low;
    else if (n == "D") cpu.D = low;
    else if (n == "E") cpu.E = low;
    else if (n == "H") cpu.H = low;
    else if (n == "L") cpu.L = low;
    else if (n == "BC") { cpu.B = high; cpu.C = low; }
    else if (n == "DE") { cpu.D = high; cpu.E = low; }
    else if (n == "HL") { cpu.H = high; cpu.L = low; }
    else if (n == "SP") cpu.SP = value.Value;
    else if (n == "PC") cpu.PC = value.Value;
}

struct FlagRow {
    const char* Name;
    std::uint8_t Bit;
};

constexpr FlagRow _FlagBits[] = {{"S", _FlagS}, {"Z", _FlagZ}, {"AC", _FlagAC}, {"P", _FlagP}, {"CY", _FlagCY}};

std::uint16_t Pair(std::uint8_t high, std::uint8_t low)
{
    return static_cast<std::uint16_t>(high << 8 | low);
}

std::string Disassemble(const CpuState& cpu, std::uint16_t address)
{
    const std::uint8_t bytes[3] = {cpu.Memory[address], cpu.Memory[static_cast<std::uint16_t>(address + 1)],
                                   cpu.Memory[static_cast<std::uint16_t>(address + 2)]};
    return FormatInstruction(cpu.Model, bytes);
}

// Runs the instruction at PC, which may store into an expected byte, and
// notes the bytes it stored into.
void StepPastStore(CaseMachine& machine, std::vector<StoreNote>& notes, std::uint16_t& last)
{
    CpuState& cpu = machine.Cpu;
    std::uint16_t addresses[2];
    const int count = FindStoreAddresses(cpu, addresses);
    const std::uint16_t from = cpu.PC;
    const std::uint16_t sp = cpu.SP;
    const InstructionInfo& info = DescribeOpcode(cpu.Model, cpu.Memory[from]);
    const std::string instruction = Disassemble(cpu, from);
    StepCpu(cpu);
    last = from;
    // A call on a condition stores only when it is taken.
    if (info.States != info.StatesTaken && cpu.SP != static_cast<std::uint16_t>(sp - 2))
        return;
    for (int i = 0; i < count; ++i) {
        for (StoreNote& note : notes) {
            if (note.Address == addresses[i]) {
                note.Stored = true;
                note.From = from;
                note.Instruction = instruction;
            }
        }
    }
}

bool IsHaltedForGood(const CpuState& cpu)
{
    return cpu.Halted && !cpu.EnablePending && !IsInterruptWaiting(cpu);
}

// The run: interrupts raised on time, the limits kept, a jump to where the
// program placed nothing ending it (running on past its last byte does not),
// and the stores into the expected bytes noted.
RunStop Run(CaseMachine& machine, const CheckCase& test, const std::vector<InterruptEvent>& events,
            std::vector<StoreNote>& notes, std::uint16_t& last, int (*stopped)())
{
    CpuState& cpu = machine.Cpu;
    const ProgramPlaces& places = machine.Places;
    // With a T-state limit the core runs in slices that cannot pass it by
    // more than one instruction (none takes more than 18 T-states), so the
    // run stops at the first instruction that reaches it.
    constexpr std::uint64_t _MostStates = 18;
    // Between slices of this many instructions the run asks whether to give up.
    constexpr std::uint64_t _StopSlice = std::uint64_t{1} << 22;
    RunWatch watch{places.Placed.data(), machine.Watched.data(), cpu.PC};
    std::size_t next = 0;
    if (!places.Placed[cpu.PC])
        return RunStop::BadStart;
    for (;;) {
        while (next < events.size() && events[next].Step - 1 <= cpu.Instructions)
            RaiseInterruptLine(cpu.Lines, events[next].Source, events[next].RstNumber), ++next;
        if (cpu.Instructions >= test.MaxSteps)
            return next == events.size() && IsHaltedForGood(cpu) ? RunStop::Halt : RunStop::Steps;
        if (test.MaxStates != 0 && cpu.States >= test.MaxStates)
            return RunStop::States;
        if (stopped && stopped() != 0)
            return RunStop::Stopped;
        std::uint64_t limit = test.MaxSteps;
        if (next < events.size() && events[next].Step - 1 < limit)
            limit = events[next].Step - 1;
        if (stopped)
            limit = std::min(limit, cpu.Instructions + _StopSlice);
        if (test.MaxStates != 0) {
            const std::uint64_t slice = std::max<std::uint64_t>(1, (test.MaxStates - cpu.States) / _MostStates);
            limit = std::min(limit, cpu.Instructions + slice);
        }
        watch.LastAddress = last;
        const RunEnd end = RunCpuWatched(cpu, limit, watch);
        last = watch.LastAddress;
        if (end == RunEnd::Watched) {
            if (!places.Placed[cpu.PC]) {
                const bool interrupted = cpu.LastInterrupt.Step == cpu.Instructions && cpu.Instructions != 0;
                const std::uint16_t after =
                    static_cast<std::uint16_t>(last + DescribeOpcode(cpu.Model, cpu.Memory[last]).Size);
                if (interrupted || cpu.PC != after)
                    return RunStop::Kit;
                last = cpu.PC; // ran on past the program's end: the run goes on
                if (StepCpu(cpu) == 0)
                    return RunStop::Halt;
            } else {
                StepPastStore(machine, notes, last);
            }
            continue;
        }
        if (end != RunEnd::Halted)
            continue;
        if (next == events.size())
            return RunStop::Halt;
        // Halted with events to come: skip ahead to the next one.
        const std::uint64_t step = events[next].Step;
        while (next < events.size() && events[next].Step == step)
            RaiseInterruptLine(cpu.Lines, events[next].Source, events[next].RstNumber), ++next;
    }
}

} // namespace

bool IsInterruptSourceName(std::string_view text)
{
    return ParseEvent(1, std::string(text)).has_value();
}

std::unique_ptr<CaseMachine, CaseMachineDeleter> MakeCaseMachine()
{
    return std::unique_ptr<CaseMachine, CaseMachineDeleter>(new CaseMachine);
}

bool LoadProgram(CaseMachine& machine, const ProgramToRun& program, bool is8080, std::string& error)
{
    if (program.Image.size() != sizeof machine.Image) {
        error = "the image holds " + std::to_string(program.Image.size()) + " bytes, not " +
                std::to_string(sizeof machine.Image);
        return false;
    }
    std::memcpy(&machine.Image, program.Image.data(), sizeof machine.Image);
    machine.Model = is8080 ? CpuModel::I8080 : CpuModel::I8085;
    machine.Places = FindProgramPlaces(program.Map);
    machine.Map = &program.Map;
    return true;
}

CaseRun RunCase(CaseMachine& machine, const CheckCase& test, int (*stopped)())
{
    CpuState& cpu = machine.Cpu;
    ResetCpu(cpu, machine.Model);
    ApplyImage(machine.Image, cpu);
    for (const BytesAt& bytes : test.Memory)
        std::memcpy(cpu.Memory + bytes.Address, bytes.Bytes.data(), bytes.Bytes.size());
    for (const NamedValue& value : test.Registers)
        SetRegister(cpu, value);
    for (const NamedValue& flag : test.Flags)
        for (const FlagRow& row : _FlagBits)
            if (flag.Name == row.Name)
                cpu.F = static_cast<std::uint8_t>(flag.Value ? cpu.F | row.Bit : cpu.F & ~row.Bit);
    CasePorts ports;
    for (const PortBytes& input : test.Inputs)
        ports.Feed[input.Port] = input.Bytes;
    cpu.Io.In = ReadCasePort;
    cpu.Io.Out = WriteCasePort;
    cpu.Io.Context = &ports;
    std::vector<InterruptEvent> events;
    for (const InterruptAt& at : test.Interrupts)
        if (const std::optional<InterruptEvent> event = ParseEvent(at.Step, at.Source))
            events.push_back(*event);

    CaseRun run;
    for (const BytesAt& expected : test.ExpectMemory) {
        for (std::size_t i = 0; i < expected.Bytes.size(); ++i) {
            const auto address = static_cast<std::uint16_t>(expected.Address + i);
            machine.Watched[address] = 1;
            run.Stores.push_back({address, false, cpu.Memory[address], 0, {}});
        }
    }
    std::uint16_t last = cpu.PC;
    run.Stop = Run(machine, test, events, run.Stores, last, stopped);
    for (const StoreNote& note : run.Stores)
        machine.Watched[note.Address] = 0;

    run.Steps = cpu.Instructions;
    run.States = cpu.States;
    run.Pc = run.Stop == RunStop::Kit || run.Stop == RunStop::Halt ? last : cpu.PC;
    run.StopInstruction = Disassemble(cpu, run.Pc);
    run.Registers = {{"A", cpu.A},  {"B", cpu.B},  {"C", cpu.C},  {"D", cpu.D},
                     {"E", cpu.E},  {"H", cpu.H},  {"L", cpu.L},  {"BC", Pair(cpu.B, cpu.C)},
                     {"DE", Pair(cpu.D, cpu.E)},  {"HL", Pair(cpu.H, cpu.L)},  {"SP", cpu.SP}, {"PC", cpu.PC}};
    for (const FlagRow& row : _FlagBits)
        run.Flags.push_back({row.Name, static_cast<std::uint16_t>((cpu.F & row.Bit) != 0)});
    for (const BytesAt& expected : test.ExpectMemory) {
        BytesAt actual{expected.Address, {}};
        for (std::size_t i = 0; i < expected.Bytes.size(); ++i)
            actual.Bytes.push_back(cpu.Memory[static_cast<std::uint16_t>(expected.Address + i)]);
        run.Memory.push_back(actual);
    }
    run.Out = std::move(ports.Out);
    cpu.Io = IoPorts{};
    return run;
}
