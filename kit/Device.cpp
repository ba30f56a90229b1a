// The choice among the chips' functions by kind.
#include "Device.h"

const DeviceKindInfo& DescribeDeviceKind(DeviceKind kind)
{
    for (const auto& row : _DeviceKinds)
        if (row.Kind == kind)
            return row;
    return _DeviceKinds[0];
}

Device MakeDevice(DeviceKind kind)
{
    Device device;
    device.Kind = kind;
    switch (kind) {
    case DeviceKind::I8155: device.Chip = Chip8155{}; break;
    case DeviceKind::I8255: device.Chip = Chip8255{}; break;
    case DeviceKind::I8253:
    case DeviceKind::I8254: device.Chip = Chip8253{}; break;
    case DeviceKind::I8279: device.Chip = Chip8279{}; break;
    case DeviceKind::I8251: device.Chip = Chip8251{}; break;
    }
    ResetDevice(device);
    return device;
}

void ResetDevice(Device& device)
{
    if (auto* chip = std::get_if<Chip8155>(&device.Chip))
        Reset8155(*chip);
    else if (auto* chip = std::get_if<Chip8255>(&device.Chip))
        Reset8255(*chip);
    else if (auto* chip = std::get_if<Chip8253>(&device.Chip))
        Reset8253(*chip, device.Kind == DeviceKind::I8254);
    else if (auto* chip = std::get_if<Chip8279>(&device.Chip))
        Reset8279(*chip);
    else if (auto* chip = std::get_if<Chip8251>(&device.Chip))
        Reset8251(*chip);
}

std::uint8_t ReadDevice(Device& device, int offset)
{
    if (auto* chip = std::get_if<Chip8155>(&device.Chip))
        return Read8155(*chip, offset);
    if (auto* chip = std::get_if<Chip8255>(&device.Chip))
        return Read8255(*chip, offset);
    if (auto* chip = std::get_if<Chip8253>(&device.Chip))
        return Read8253(*chip, offset);
    if (auto* chip = std::get_if<Chip8279>(&device.Chip))
        return Read8279(*chip, offset);
    if (auto* chip = std::get_if<Chip8251>(&device.Chip))
        return Read8251(*chip, offset);
    return 0xFF;
}

void WriteDevice(Device& device, int offset, std::uint8_t value)
{
    if (auto* chip = std::get_if<Chip8155>(&device.Chip))
        Write8155(*chip, offset, value);
    else if (auto* chip = std::get_if<Chip8255>(&device.Chip))
        Write8255(*chip, offset, value);
    else if (auto* chip = std::get_if<Chip8253>(&device.Chip))
        Write8253(*chip, offset, value);
    else if (auto* chip = std::get_if<Chip8279>(&device.Chip))
        Write8279(*chip, offset, value);
    else if (auto* chip = std::get_if<Chip8251>(&device.Chip))
        Write8251(*chip, offset, value);
}

void ClockDevice(Device& device, std::uint64_t pulses)
{
    if (auto* chip = std::get_if<Chip8155>(&device.Chip))
        Clock8155(*chip, pulses);
    else if (auto* chip = std::get_if<Chip8253>(&device.Chip))
        Clock8253(*chip, -1, pulses);
    else if (auto* chip = std::get_if<Chip8251>(&device.Chip))
        Clock8251(*chip, pulses);
}

bool ReadDeviceOutput(const Device& device, int output)
{
    if (const auto* chip = std::get_if<Chip8155>(&device.Chip))
        return !chip->Out;
    if (const auto* chip = std::get_if<Chip8255>(&device.Chip))
        return IsRequesting8255(*chip, output == 0 ? _PortA : _PortB);
    if (const auto* chip = std::get_if<Chip8253>(&device.Chip))
        return output >= 0 && output < 3 && chip->Counters[output].Out;
    if (const auto* chip = std::get_if<Chip8279>(&device.Chip))
        return chip->Irq;
    if (const auto* chip = std::get_if<Chip8251>(&device.Chip))
        return output == 0 ? IsRxReadyPin8251(*chip) : IsTxReadyPin8251(*chip);
    return false;
}

std::uint8_t ReadDevicePort(const Device& device, int port)
{
    if (const auto* chip = std::get_if<Chip8155>(&device.Chip))
        return ReadOutputPins8155(*chip, port);
    if (const auto* chip = std::get_if<Chip8255>(&device.Chip))
        return ReadOutputPins8255(*chip, port);
    return 0;
}

void SetDevicePortPins(Device& device, int port, std::uint8_t value)
{
    if (auto* chip = std::get_if<Chip8155>(&device.Chip))
        chip->Pins[port] = value;
    else if (auto* chip = std::get_if<Chip8255>(&device.Chip))
        chip->Pins[port] = value;
}
