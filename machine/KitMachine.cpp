#include "KitMachine.h"

#include "Simulation.h"
#include "Trace.h"

#include <algorithm>

namespace {

std::string Hex4(std::uint16_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04XH", value);
    return text;
}

std::string Hex2(std::uint8_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02XH", value);
    return text;
}

void Print(KitMachine& machine, const std::string& what, std::uint64_t states)
{
    if (!machine.Out)
        return;
    const std::string line = FormatKitLine(what, machine.Step, states);
    std::fwrite(line.data(), 1, line.size(), machine.Out);
}

std::string DescribeBoard(const AttachedBoard& board)
{
    const Board& state = board.State;
    switch (state.Kind) {
    case BoardKind::LedsSwitches: {
        std::string bits = "leds: ";
        for (int bit = 7; bit >= 0; --bit)
            bits += (state.Output >> bit) & 1 ? '1' : '0';
        return bits;
    }
    case BoardKind::TrafficLight: return "traffic: " + DescribeTrafficLight(state);
    case BoardKind::Stepper: {
        const int tenths = MeasureStepperAngle(state);
        return "stepper: " + std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " degrees";
    }
    case BoardKind::Dac: return "dac: " + Hex2(state.Output);
    case BoardKind::Adc: return "";
    }
    return "";
}

// After a write to a chip: the boards and the display that changed.
void ShowChanges(KitMachine& machine)
{
    Kit& kit = machine.TheKit;
    for (std::size_t i = 0; i < kit.Boards.size(); ++i) {
        const std::string now = DescribeBoard(kit.Boards[i]);
        if (!now.empty() && now != machine.BoardShown[i]) {
            machine.BoardShown[i] = now;
            Print(machine, now, kit.States);
        }
    }
    if (machine.DisplayTouched) {
        machine.DisplayTouched = false;
        const std::string now = DescribeKitDisplay(kit);
        if (now != machine.DisplayShown) {
            machine.DisplayShown = now;
            Print(machine, "display: " + now, kit.States);
        }
    }
}

void NoteWrite(KitMachine& machine, int device)
{
    if (device >= 0 && machine.TheKit.Devices[device].Chip.Kind == DeviceKind::I8279)
        machine.DisplayTouched = true;
    ShowChanges(machine);
}

std::uint8_t KitIn(void* context, std::uint8_t port)
{
    KitMachine& machine = *static_cast<KitMachine*>(context);
    std::uint8_t value = 0xFF;
    if (ReadKitPort(machine.TheKit, port, value) == KitAccess::Unmapped && machine.Fault == KitFaultKind::None) {
        machine.Fault = KitFaultKind::NoDevicePort;
        machine.FaultAddress = port;
        machine.FaultIsStore = false;
        machine.FaultFrom = machine.InstructionAt;
    }
    return value;
}

void KitOut(void* context, std::uint8_t port, std::uint8_t value)
{
    KitMachine& machine = *static_cast<KitMachine*>(context);
    if (WriteKitPort(machine.TheKit, port, value) == KitAccess::Unmapped) {
        if (machine.Fault == KitFaultKind::None) {
            machine.Fault = KitFaultKind::NoDevicePort;
            machine.FaultAddress = port;
            machine.FaultIsStore = true;
            machine.FaultFrom = machine.InstructionAt;
        }
        return;
    }
    NoteWrite(machine, machine.TheKit.PortDevice[port]);
}

// What answers at an address, without reading a chip.
PageClass ClassifyAddress(const Kit& kit, std::uint16_t address)
{
    if (kit.PageDevice[address >> 8] >= 0)
        return PageClass::Device;
    for (const MemoryRange& range : kit.Profile->Rom)
        if (address >= range.First && address <= range.Last)
            return PageClass::Rom;
    for (const MemoryRange& range : kit.Profile->Ram)
        if (address >= range.First && address <= range.Last)
            return PageClass::Memory;
    return PageClass::Unmapped;
}

void SetFault(KitMachine& machine, KitFaultKind kind, std::uint16_t address, bool store)
{
    if (machine.Fault != KitFaultKind::None)
        return;
    machine.Fault = kind;
    machine.FaultAddress = address;
    machine.FaultIsStore = store;
    machine.FaultFrom = machine.InstructionAt;
}

// Before the instruction at PC: a fetch or load where the kit has no
// memory is a fault; a load from a chip's page reads the chip into memory,
// where the processor then finds it.
void PrepareLoads(KitMachine& machine, CpuState& cpu)
{
    Kit& kit = machine.TheKit;
    std::uint8_t value = 0;
    const int size = DescribeOpcode(cpu.Model, cpu.Memory[cpu.PC]).Size;
    for (int i = 0; i < size; ++i) {
        const auto at = static_cast<std::uint16_t>(cpu.PC + i);
        const PageClass page = machine.Pages[at >> 8];
        if (page == PageClass::Unmapped ||
            (page == PageClass::Mixed && ClassifyAddress(kit, at) == PageClass::Unmapped))
            return SetFault(machine, KitFaultKind::NoMemory, at, false);
    }
    std::uint16_t loads[2];
    const int count = FindLoadAddresses(cpu, loads);
    for (int i = 0; i < count; ++i) {
        if (machine.Pages[loads[i] >> 8] == PageClass::Memory)
            continue;
        switch (ReadKitMemory(kit, loads[i], value)) {
        case KitAccess::Device: cpu.Memory[loads[i]] = value; break;
        case KitAccess::Unmapped: return SetFault(machine, KitFaultKind::NoMemory, loads[i], false);
        case KitAccess::Memory:
        case KitAccess::Rom: break;
        }
    }
}

struct PendingStores {
    std::uint16_t At[2] = {};
    std::uint8_t Before[2] = {};
    int Count = 0;
    bool Conditional = false;
    bool ReturnToMonitor = false; // the RST that goes back to the monitor: its push may go nowhere
    std::uint16_t Sp = 0;
    std::uint16_t From = 0;
};

void PrepareStores(const Kit& kit, const CpuState& cpu, PendingStores& stores)
{
    stores.Count = FindStoreAddresses(cpu, stores.At);
    for (const MonitorEntry& entry : kit.Profile->Entries)
        if (entry.Service == MonitorService::ReturnToMonitor && entry.Address < 0x40 && (entry.Address & 7) == 0 &&
            cpu.Memory[cpu.PC] == (0xC7 | entry.Address))
            stores.ReturnToMonitor = true;
    stores.Conditional = DescribeOpcode(cpu.Model, cpu.Memory[cpu.PC]).Conditional;
    stores.Sp = cpu.SP;
    stores.From = cpu.PC;
    for (int i = 0; i < stores.Count; ++i)
        stores.Before[i] = cpu.Memory[stores.At[i]];
}

// After the instruction: a store into ROM is undone (and counted for the
// warning), a store to a chip's page reaches the chip, a store where the kit
// has no memory is a fault.
void FinishStores(KitMachine& machine, CpuState& cpu, const PendingStores& stores)
{
    if (stores.Count == 0)
        return;
    // A call on a condition stores only when it is taken.
    if (stores.Conditional && cpu.SP != static_cast<std::uint16_t>(stores.Sp - 2))
        return;
    Kit& kit = machine.TheKit;
    for (int i = 0; i < stores.Count; ++i) {
        const std::uint16_t at = stores.At[i];
        if (machine.Pages[at >> 8] == PageClass::Memory)
            continue;
        const int device = kit.PageDevice[at >> 8];
        switch (WriteKitMemory(kit, at, cpu.Memory[at])) {
        case KitAccess::Device: NoteWrite(machine, device); break;
        case KitAccess::Rom:
            if (machine.RomStores++ == 0) {
                machine.FirstRomStore = at;
                machine.FirstRomStoreFrom = stores.From;
            }
            cpu.Memory[at] = stores.Before[i];
            break;
        case KitAccess::Unmapped:
            cpu.Memory[at] = stores.Before[i];
            if (!stores.ReturnToMonitor)
                SetFault(machine, KitFaultKind::NoMemory, at, true);
            break;
        case KitAccess::Memory: break;
        }
    }
}

// Keys whose time has come.
void PressTimedKeys(KitMachine& machine, std::uint64_t nextStep)
{
    while (machine.NextTimedKey < machine.Keys.size() && machine.Keys[machine.NextTimedKey].Step != 0 &&
           machine.Keys[machine.NextTimedKey].Step <= nextStep) {
        PressKitKey(machine.TheKit, machine.Keys[machine.NextTimedKey++].Name);
    }
}

// The next key without a time, for a program that waits for one; false
// when none is left.
bool PressUntimedKey(KitMachine& machine)
{
    std::size_t& next = machine.NextWaitKey;
    while (next < machine.Keys.size() && machine.Keys[next].Step != 0)
        ++next;
    if (next >= machine.Keys.size())
        return false;
    PressKitKey(machine.TheKit, machine.Keys[next++].Name);
    return true;
}

// A key for the monitor's read-key routine: the next key without a time, or
// else the next timed one, at once (the routine's wait counts no steps).
// False when none is left.
bool PressWaitingKey(KitMachine& machine)
{
    if (PressUntimedKey(machine))
        return true;
    if (machine.NextTimedKey < machine.Keys.size() && machine.Keys[machine.NextTimedKey].Step != 0) {
        PressKitKey(machine.TheKit, machine.Keys[machine.NextTimedKey++].Name);
        return true;
    }
    return false;
}

// A program that reads the 8279's status with its FIFO empty is waiting for
// a key: it gets the next untimed one (a timed one comes at its step).
void OfferKeyToPoll(KitMachine& machine, const CpuState& cpu)
{
    if (machine.NextWaitKey >= machine.Keys.size())
        return;
    Chip8279* display = FindKitDisplay(machine.TheKit);
    if (!display || display->FifoCount != 0)
        return;
    const std::uint8_t op = cpu.Memory[cpu.PC];
    std::uint16_t loads[2];
    int count = 0;
    if (op == 0xDB) { // IN
        const std::uint8_t port = cpu.Memory[static_cast<std::uint16_t>(cpu.PC + 1)];
        const int device = machine.TheKit.PortDevice[port];
        if (device < 0 || machine.TheKit.Devices[device].Chip.Kind != DeviceKind::I8279 ||
            machine.TheKit.PortOffset[port] != 1)
            return;
        PressUntimedKey(machine);
        return;
    }
    count = FindLoadAddresses(cpu, loads);
    for (int i = 0; i < count; ++i) {
        const int device = machine.TheKit.PageDevice[loads[i] >> 8];
        if (device >= 0 && machine.TheKit.Devices[device].Chip.Kind == DeviceKind::I8279 &&
            machine.TheKit.PageOffset[loads[i] >> 8] == 1) {
            PressUntimedKey(machine);
            return;
        }
    }
}

void ShowProbes(KitMachine& machine)
{
    for (std::size_t i = 0; i < machine.Probes.size(); ++i) {
        const KitProbe& probe = machine.Probes[i];
        for (const PlacedDevice& placed : machine.TheKit.Devices) {
            if (probe.Chip != placed.Place->Name)
                continue;
            bool level = ReadDeviceOutput(placed.Chip, probe.Output);
            if (placed.Chip.Kind == DeviceKind::I8155)
                level = !level; // TIMER OUT is active low: show the pin
            if (level != machine.ProbeLevels[i]) {
                machine.ProbeLevels[i] = level;
                Print(machine, probe.Chip + " out " + std::to_string(probe.Output) + ": " + (level ? "1" : "0"),
                      machine.TheKit.States);
            }
            break;
        }
    }
}

// The processor is halted: the kit's clock runs on while it waits, up to a
// second of the kit's time, for a chip to raise an interrupt.
bool WaitForKitInterrupt(KitMachine& machine, CpuState& cpu)
{
    bool wired = false;
    for (const PlacedDevice& placed : machine.TheKit.Devices)
        wired = wired || (placed.Place->WiredOutput >= 0 && placed.Place->StatesPerPulse != 0);
    if (!wired)
        return false; // no clocked chip can raise an interrupt
    const std::uint64_t limit = machine.TheKit.Profile->ClockHz;
    for (std::uint64_t waited = 0; waited < limit; waited += 4) {
        ClockKit(machine.TheKit, 4);
        DriveKitInterrupts(machine.TheKit, cpu.Lines);
        if (!machine.Probes.empty())
            ShowProbes(machine);
        if (IsInterruptWaiting(cpu))
            return true;
    }
    return false;
}

} // namespace

std::string FormatKitLine(const std::string& what, std::uint64_t step, std::uint64_t states)
{
    return what + "   (step " + std::to_string(step) + ", T-state " + std::to_string(states) + ")\n";
}

std::string SetUpKitMachine(KitMachine& machine, const MachineOptions& options, PortDevices& ports)
{
    const KitProfile* profile = FindKitProfile(options.Kit);
    if (!profile) {
        std::string names;
        for (const KitProfile& row : _KitProfiles)
            names += std::string(names.empty() ? "" : ", ") + row.Name;
        return "--kit: '" + options.Kit + "' is no kit profile (" + names + ")";
    }
    SetUpKit(machine.TheKit, *profile);
    machine.Entries = std::make_unique<std::uint8_t[]>(65536);
    for (int page = 0; page < 256; ++page) {
        const auto first = static_cast<std::uint16_t>(page << 8);
        machine.Pages[page] = ClassifyAddress(machine.TheKit, first);
        for (int offset = 1; offset < 256; ++offset)
            if (ClassifyAddress(machine.TheKit, static_cast<std::uint16_t>(first + offset)) != machine.Pages[page])
                machine.Pages[page] = PageClass::Mixed;
    }
    MarkMonitorEntries(machine.TheKit, machine.Entries.get());
    for (const KitBoardOption& board : options.Boards) {
        if (!AttachBoard(machine.TheKit, board.Kind, board.Chip, board.Port, board.SecondPort))
            return "--board: the " + std::string(profile->Name) + " has no port " +
                   std::string(1, static_cast<char>('A' + board.Port)) + " on a chip named " + board.Chip;
        machine.TheKit.Boards.back().State.Input = board.Input;
    }
    machine.BoardShown.assign(machine.TheKit.Boards.size(), "");
    for (const KitKeyPress& key : options.Keys) {
        Kit probe = machine.TheKit;
        if (!PressKitKey(probe, key.Name))
            return "--keys: the " + std::string(profile->Name) + " has no key '" + key.Name + "'";
    }
    machine.Keys = options.Keys;
    std::stable_sort(machine.Keys.begin(), machine.Keys.end(), [](const KitKeyPress& a, const KitKeyPress& b) {
        return (a.Step == 0 ? UINT64_MAX : a.Step) < (b.Step == 0 ? UINT64_MAX : b.Step);
    });
    for (const KitProbe& probe : options.Probes) {
        bool found = false;
        for (const PlacedDevice& placed : machine.TheKit.Devices)
            found = found ||
                    (probe.Chip == placed.Place->Name && probe.Output < DescribeDeviceKind(placed.Chip.Kind).Outputs);
        if (!found)
            return "--probe: the " + std::string(profile->Name) + " has no output " + std::to_string(probe.Output) +
                   " on a chip named " + probe.Chip;
    }
    machine.Probes = options.Probes;
    machine.ProbeLevels.assign(machine.Probes.size(), false);
    for (std::size_t i = 0; i < machine.Probes.size(); ++i)
        for (const PlacedDevice& placed : machine.TheKit.Devices)
            if (machine.Probes[i].Chip == placed.Place->Name) {
                const bool level = ReadDeviceOutput(placed.Chip, machine.Probes[i].Output);
                machine.ProbeLevels[i] = placed.Chip.Kind == DeviceKind::I8155 ? !level : level;
                break;
            }
    machine.DisplayShown = DescribeKitDisplay(machine.TheKit);
    // The kit answers at every port but the console's and those --input
    // gives a value: IN or OUT where it has no chip is an error.
    bool keep[256] = {};
    if (options.ConsolePort >= 0)
        keep[options.ConsolePort] = true;
    for (const PortInput& input : options.Inputs)
        keep[input.Port] = true;
    for (int port = 0; port < 256; ++port) {
        if (!keep[port]) {
            const auto at = static_cast<std::uint8_t>(port);
            PlugPortDevice(ports, at, at, {KitIn, KitOut, &machine});
        }
    }
    return "";
}

StopReason RunKitSimulation(CpuState& cpu, const SimulationSetup& setup, RunProgress& progress)
{
    KitMachine& machine = *setup.Kit;
    Kit& kit = machine.TheKit;
    const std::vector<InterruptEvent>& events = setup.Interrupts;
    std::size_t& next = progress.NextEvent;
    for (bool first = !setup.BreakAtStart;; first = false) {
        while (next < events.size() && events[next].Step - 1 <= cpu.Instructions)
            RaiseInterrupt(cpu, events[next++]);
        PressTimedKeys(machine, cpu.Instructions + 1);
        DriveKitInterrupts(kit, cpu.Lines);
        if (CountRunSteps(cpu, progress) >= setup.Until)
            return StopReason::Reached;
        if (setup.MaxSteps != 0 && cpu.Instructions >= setup.MaxSteps)
            return IsHaltedForGood(cpu, setup, progress) ? StopReason::Halt : StopReason::StepLimit;
        if (setup.Breaks && !first && setup.Breaks[cpu.PC] && !cpu.Halted)
            return StopReason::Break;
        if (setup.StopRequest && *setup.StopRequest)
            return StopReason::Interrupted;
        machine.Step = cpu.Instructions + 1;
        if (machine.Entries[cpu.PC] && !cpu.Halted && !IsInterruptWaiting(cpu)) {
            MonitorEvent event = ServeMonitor(kit, cpu);
            if (event == MonitorEvent::WaitingKey && PressWaitingKey(machine))
                event = ServeMonitor(kit, cpu);
            if (event == MonitorEvent::WaitingKey)
                return StopReason::KitWaitingKey;
            if (event == MonitorEvent::Returned)
                return StopReason::KitReturn;
            if (event == MonitorEvent::Served) {
                machine.Step = cpu.Instructions; // the CALL that entered the routine
                machine.DisplayTouched = true;
                ShowChanges(machine);
                continue;
            }
        }
        PendingStores stores;
        machine.InstructionAt = cpu.PC;
        if (!cpu.Halted) {
            OfferKeyToPoll(machine, cpu);
            PrepareLoads(machine, cpu);
            if (machine.Fault != KitFaultKind::None)
                return StopReason::KitFault;
            PrepareStores(kit, cpu, stores);
        }
        const std::uint64_t before = cpu.States;
        const std::uint16_t address = cpu.PC;
        const std::uint8_t bytes[3] = {cpu.Memory[address], cpu.Memory[static_cast<std::uint16_t>(address + 1)],
                                       cpu.Memory[static_cast<std::uint16_t>(address + 2)]};
        const int states = StepCpu(cpu);
        if (setup.Trace && states != 0) {
            const std::string line = cpu.LastInterrupt.Step == cpu.Instructions
                                         ? FormatInterruptLine(cpu.Instructions, address, cpu.LastInterrupt, cpu)
                                         : FormatTraceLine(cpu.Instructions, address, bytes, cpu);
            std::fwrite(line.data(), 1, line.size(), setup.Trace);
        }
        if (states == 0) {
            if (next < events.size()) {
                const std::uint64_t step = events[next].Step;
                while (next < events.size() && events[next].Step == step)
                    RaiseInterrupt(cpu, events[next++]);
                continue;
            }
            if (!cpu.Halted || WaitForKitInterrupt(machine, cpu))
                continue;
            return StopReason::Halt;
        }
        FinishStores(machine, cpu, stores);
        if (machine.Fault != KitFaultKind::None)
            return StopReason::KitFault;
        ClockKit(kit, cpu.States - before);
        if (!machine.Probes.empty())
            ShowProbes(machine);
    }
}

namespace {

std::string NameAddress(const SourceMap* map, std::uint16_t address)
{
    return map ? DescribeAddress(*map, address) : Hex4(address);
}

} // namespace

std::string DescribeKitEnd(const KitMachine& machine, StopReason stop, const SourceMap* map)
{
    const KitProfile& profile = *machine.TheKit.Profile;
    const std::string kit = std::string("the ") + profile.Name;
    const std::string from = " at " + NameAddress(map, machine.FaultFrom);
    switch (stop) {
    case StopReason::KitReturn: return std::string("returned to the monitor (") + profile.ReturnInstruction + ")";
    case StopReason::KitWaitingKey: return "the program waits for a key and --keys has none left";
    case StopReason::KitFault:
        if (machine.Fault == KitFaultKind::NoDevicePort)
            return std::string(machine.FaultIsStore ? "OUT " : "IN ") +
                   Hex2(static_cast<std::uint8_t>(machine.FaultAddress)) + from + ": " + kit + " has no chip at port " +
                   Hex2(static_cast<std::uint8_t>(machine.FaultAddress));
        {
            std::string ram;
            for (const MemoryRange& range : profile.Ram)
                ram += (ram.empty() ? "" : ", ") + Hex4(range.First) + "-" + Hex4(range.Last);
            return std::string(machine.FaultIsStore ? "a store to " : "a read of ") + Hex4(machine.FaultAddress) +
                   from + ": " + kit + " has no memory or chip at " + Hex4(machine.FaultAddress) + " (its RAM: " + ram +
                   ")";
        }
    default: return "";
    }
}

std::string DescribeRomStores(const KitMachine& machine, const SourceMap* map)
{
    if (machine.RomStores == 0)
        return "";
    return "the instruction at " + NameAddress(map, machine.FirstRomStoreFrom) + " stored into the monitor's ROM at " +
           Hex4(machine.FirstRomStore) + "; the kit ignores such stores (" + std::to_string(machine.RomStores) +
           (machine.RomStores == 1 ? " store)" : " stores)");
}
