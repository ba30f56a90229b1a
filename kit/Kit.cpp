// A kit at run time.
#include "Kit.h"

namespace {

bool InRanges(std::span<const MemoryRange> ranges, std::uint16_t address)
{
    for (const auto& range : ranges)
        if (address >= range.First && address <= range.Last)
            return true;
    return false;
}

// After the program wrote to a chip: the boards on its ports see the bytes.
void UpdateBoards(Kit& kit, int device)
{
    for (auto& board : kit.Boards) {
        if (board.Device != device)
            continue;
        const Device& chip = kit.Devices[device].Chip;
        DriveBoard(board.State, ReadDevicePort(chip, board.Port), kit.States);
        if (board.SecondPort >= 0)
            DriveBoard(board.State, ReadDevicePort(chip, board.SecondPort), kit.States, true);
    }
}

// Before the program reads a chip: the boards that drive its pins do.
void DrivePins(Kit& kit, int device)
{
    for (auto& board : kit.Boards) {
        std::uint8_t value = 0;
        if (board.Device == device && ReadBoardInput(board.State, value))
            SetDevicePortPins(kit.Devices[device].Chip, board.Port, value);
    }
}

std::uint8_t ReadRegister(Kit& kit, int device, int offset)
{
    DrivePins(kit, device);
    return ReadDevice(kit.Devices[device].Chip, offset);
}

void WriteRegister(Kit& kit, int device, int offset, std::uint8_t value)
{
    WriteDevice(kit.Devices[device].Chip, offset, value);
    UpdateBoards(kit, device);
}

char HexDigitOf(const Kit& kit, std::uint8_t code)
{
    if (code == kit.Profile->BlankCode)
        return ' ';
    for (int digit = 0; digit < 16; ++digit)
        if (kit.Profile->Font[digit] == code)
            return "0123456789ABCDEF"[digit];
    return '?';
}

void ShowHex(Kit& kit, const int* positions, int count, std::uint16_t value)
{
    Chip8279* display = FindKitDisplay(kit);
    if (!display)
        return;
    for (int i = 0; i < count; ++i) {
        const int nibble = (value >> (4 * (count - 1 - i))) & 0xF;
        display->Display[positions[i] & 15] = kit.Profile->Font[nibble];
    }
}

void Return(CpuState& cpu)
{
    cpu.PC = static_cast<std::uint16_t>(cpu.Memory[cpu.SP] | (cpu.Memory[static_cast<std::uint16_t>(cpu.SP + 1)] << 8));
    cpu.SP = static_cast<std::uint16_t>(cpu.SP + 2);
}

} // namespace

void SetUpKit(Kit& kit, const KitProfile& profile)
{
    kit = Kit{};
    kit.Profile = &profile;
    for (auto& entry : kit.PortDevice)
        entry = -1;
    for (auto& entry : kit.PageDevice)
        entry = -1;
    for (const auto& place : profile.Chips) {
        const int index = static_cast<int>(kit.Devices.size());
        kit.Devices.push_back({MakeDevice(place.Kind), &place});
        // A program starts with the display dark (the monitor's own messages are not shown).
        if (auto* display = std::get_if<Chip8279>(&kit.Devices.back().Chip.Chip))
            for (auto& digit : display->Display)
                digit = profile.BlankCode;
        const int registers = DescribeDeviceKind(place.Kind).Registers;
        for (int offset = 0; offset < registers; ++offset) {
            const int address = place.Base + offset * place.Stride;
            if (place.MemoryMapped) {
                // The kit decodes the page: every address in it answers.
                for (int page = address >> 8; page < ((address + place.Stride) >> 8) && page < 256; ++page) {
                    kit.PageDevice[page] = static_cast<std::int16_t>(index);
                    kit.PageOffset[page] = static_cast<std::uint8_t>(offset);
                }
            } else if (address < 256) {
                kit.PortDevice[address] = static_cast<std::int16_t>(index);
                kit.PortOffset[address] = static_cast<std::uint8_t>(offset);
            }
        }
    }
}

KitAccess ReadKitPort(Kit& kit, std::uint8_t port, std::uint8_t& value)
{
    const int device = kit.PortDevice[port];
    if (device < 0)
        return KitAccess::Unmapped;
    value = ReadRegister(kit, device, kit.PortOffset[port]);
    return KitAccess::Device;
}

KitAccess WriteKitPort(Kit& kit, std::uint8_t port, std::uint8_t value)
{
    const int device = kit.PortDevice[port];
    if (device < 0)
        return KitAccess::Unmapped;
    WriteRegister(kit, device, kit.PortOffset[port], value);
    return KitAccess::Device;
}

KitAccess ReadKitMemory(Kit& kit, std::uint16_t address, std::uint8_t& value)
{
    const int device = kit.PageDevice[address >> 8];
    if (device >= 0) {
        value = ReadRegister(kit, device, kit.PageOffset[address >> 8]);
        return KitAccess::Device;
    }
    if (InRanges(kit.Profile->Rom, address))
        return KitAccess::Rom;
    if (InRanges(kit.Profile->Ram, address))
        return KitAccess::Memory;
    return KitAccess::Unmapped;
}

KitAccess WriteKitMemory(Kit& kit, std::uint16_t address, std::uint8_t value)
{
    const int device = kit.PageDevice[address >> 8];
    if (device >= 0) {
        WriteRegister(kit, device, kit.PageOffset[address >> 8], value);
        return KitAccess::Device;
    }
    if (InRanges(kit.Profile->Rom, address))
        return KitAccess::Rom;
    if (InRanges(kit.Profile->Ram, address))
        return KitAccess::Memory;
    return KitAccess::Unmapped;
}

void ClockKit(Kit& kit, std::uint64_t tStates)
{
    kit.States += tStates;
    for (auto& placed : kit.Devices) {
        const std::uint32_t per = placed.Place->StatesPerPulse;
        if (per == 0)
            continue;
        placed.Spare += tStates;
        const std::uint64_t pulses = placed.Spare / per;
        placed.Spare %= per;
        if (pulses > 0)
            ClockDevice(placed.Chip, pulses);
    }
}

void DriveKitInterrupts(Kit& kit, InterruptLines& lines)
{
    if (kit.VectorKeyPressed) {
        RaiseInterruptLine(lines, kit.Profile->VectorLine, 7);
        kit.VectorKeyPressed = false;
    }
    for (auto& placed : kit.Devices) {
        const ChipPlacement& place = *placed.Place;
        if (place.WiredOutput < 0)
            continue;
        const bool level = ReadDeviceOutput(placed.Chip, place.WiredOutput);
        const bool rising = level && !placed.LastOutput;
        placed.LastOutput = level;
        switch (place.Line) {
        case InterruptSource::Rst55: lines.Rst55 = level; break;
        case InterruptSource::Rst65: lines.Rst65 = level; break;
        case InterruptSource::Rst75:
            if (rising)
                lines.Rst75 = true;
            break;
        case InterruptSource::Trap:
            if (rising)
                lines.Trap = true;
            break;
        case InterruptSource::Intr:
            if (rising)
                lines.Intr = 7; // RST 7 on the data bus, as a pulled-up bus reads
            break;
        }
    }
}

bool AttachBoard(Kit& kit, BoardKind kind, std::string_view chip, int port, int secondPort)
{
    for (int index = 0; index < static_cast<int>(kit.Devices.size()); ++index) {
        const PlacedDevice& placed = kit.Devices[index];
        if (chip != placed.Place->Name)
            continue;
        const int ports = DescribeDeviceKind(placed.Chip.Kind).Ports;
        if (port < 0 || port >= ports || secondPort >= ports)
            return false;
        AttachedBoard board;
        board.State.Kind = kind;
        board.Device = index;
        board.Port = port;
        board.SecondPort = secondPort;
        kit.Boards.push_back(board);
        return true;
    }
    return false;
}

Chip8279* FindKitDisplay(Kit& kit)
{
    for (auto& placed : kit.Devices)
        if (auto* chip = std::get_if<Chip8279>(&placed.Chip.Chip))
            return chip;
    return nullptr;
}

bool PressKitKey(Kit& kit, std::string_view name)
{
    if (kit.Profile->VectorKey && name == kit.Profile->VectorKey) {
        kit.VectorKeyPressed = true;
        return true;
    }
    Chip8279* display = FindKitDisplay(kit);
    if (!display)
        return false;
    if (name.size() == 1) {
        const auto digit = std::string_view("0123456789ABCDEF").find(name[0]);
        if (digit != std::string_view::npos) {
            PressKey8279(*display, static_cast<std::uint8_t>(digit));
            return true;
        }
    }
    for (const auto& key : kit.Profile->Keys) {
        if (name == key.Name) {
            PressKey8279(*display, key.Code);
            return true;
        }
    }
    return false;
}

std::string DescribeKitDisplay(const Kit& kit)
{
    std::string text;
    const Chip8279* display = nullptr;
    for (const auto& placed : kit.Devices)
        if (const auto* chip = std::get_if<Chip8279>(&placed.Chip.Chip))
            display = chip;
    if (!display)
        return text;
    for (int position : kit.Profile->AddressDigits)
        text += HexDigitOf(kit, ReadShownDigit8279(*display, position));
    text += ' ';
    for (int position : kit.Profile->DataDigits)
        text += HexDigitOf(kit, ReadShownDigit8279(*display, position));
    return text;
}

void MarkMonitorEntries(const Kit& kit, std::uint8_t* marks)
{
    for (const auto& entry : kit.Profile->Entries)
        marks[entry.Address] = 1;
}

const MonitorEntry* FindMonitorEntry(const Kit& kit, std::uint16_t address)
{
    for (const auto& entry : kit.Profile->Entries)
        if (entry.Address == address)
            return &entry;
    return nullptr;
}

MonitorEvent ServeMonitor(Kit& kit, CpuState& cpu)
{
    const MonitorEntry* entry = FindMonitorEntry(kit, cpu.PC);
    if (!entry)
        return MonitorEvent::NotEntry;
    switch (entry->Service) {
    case MonitorService::ShowDataField: ShowHex(kit, kit.Profile->DataDigits, 2, cpu.A); break;
    case MonitorService::ShowAddressField:
        ShowHex(kit, kit.Profile->AddressDigits, 4, static_cast<std::uint16_t>((cpu.D << 8) | cpu.E));
        break;
    case MonitorService::ShowDataAt: ShowHex(kit, kit.Profile->DataDigits, 2, cpu.Memory[entry->Operand]); break;
    case MonitorService::ShowAddressAt:
        ShowHex(kit, kit.Profile->AddressDigits, 4,
                static_cast<std::uint16_t>(cpu.Memory[entry->Operand] |
                                           (cpu.Memory[static_cast<std::uint16_t>(entry->Operand + 1)] << 8)));
        break;
    case MonitorService::ClearDisplay: {
        Chip8279* display = FindKitDisplay(kit);
        if (display) {
            for (int position : kit.Profile->AddressDigits)
                display->Display[position & 15] = kit.Profile->BlankCode;
            for (int position : kit.Profile->DataDigits)
                display->Display[position & 15] = kit.Profile->BlankCode;
        }
        break;
    }
    case MonitorService::ReadKey: {
        Chip8279* display = FindKitDisplay(kit);
        if (!display || display->FifoCount == 0)
            return MonitorEvent::WaitingKey;
        Write8279(*display, 1, 0x40); // read FIFO, as the routine does
        const std::uint8_t code = Read8279(*display, 0);
        cpu.A = code; // a hex key gives its own value
        for (const auto& key : kit.Profile->Keys)
            if (key.Code == code)
                cpu.A = key.Value;
        break;
    }
    case MonitorService::ReturnToMonitor: return MonitorEvent::Returned;
    }
    Return(cpu);
    return MonitorEvent::Served;
}
