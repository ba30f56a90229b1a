// A chip of a kit as the machine sees it: registers read and written by
// offset, a clock advanced in pulses, parallel
// ports that boards attach to, and interrupt outputs. One row per kind of
// chip in _DeviceKinds; each kind's own record and functions are in its
// Chip file, and the functions here only choose among them.
#pragma once

#include "Chip8155.h"
#include "Chip8251.h"
#include "Chip8253.h"
#include "Chip8255.h"
#include "Chip8279.h"

#include <cstdint>
#include <variant>

enum class DeviceKind : std::uint8_t { I8155, I8255, I8253, I8254, I8279, I8251 };

struct DeviceKindInfo {
    DeviceKind Kind;
    const char* Name; // "8155", as a profile and the messages name it
    int Registers;    // register offsets 0 to Registers-1
    int RamBytes;     // RAM on the chip, 0 for none
    int Ports;        // parallel ports a board can attach to (A, B, C)
    int Outputs;      // interrupt outputs (see ReadDeviceOutput)
    const char* Description;
};

inline constexpr DeviceKindInfo _DeviceKinds[] = {
    {DeviceKind::I8155, "8155", 6, 256, 3, 1, "RAM, I/O ports and timer; output 0 is TIMER OUT (active low)"},
    {DeviceKind::I8255, "8255", 4, 0, 3, 2, "programmable peripheral interface; outputs 0 and 1 are INTR A and INTR B"},
    {DeviceKind::I8253, "8253", 4, 0, 0, 3, "programmable interval timer; outputs 0-2 are OUT 0-2"},
    {DeviceKind::I8254, "8254", 4, 0, 0, 3, "programmable interval timer with read-back; outputs 0-2 are OUT 0-2"},
    {DeviceKind::I8279, "8279", 2, 0, 0, 1, "keyboard/display interface; output 0 is IRQ"},
    {DeviceKind::I8251, "8251", 2, 0, 0, 2, "USART; outputs 0 and 1 are RxRDY and TxRDY"},
};

const DeviceKindInfo& DescribeDeviceKind(DeviceKind kind);

struct Device {
    DeviceKind Kind = DeviceKind::I8155;
    std::variant<Chip8155, Chip8255, Chip8253, Chip8279, Chip8251> Chip;
};

// A device of the kind, as after a hardware reset.
Device MakeDevice(DeviceKind kind);
void ResetDevice(Device& device);

std::uint8_t ReadDevice(Device& device, int offset);
void WriteDevice(Device& device, int offset, std::uint8_t value);

// Advances the chip's clock input by pulses: the 8155's TIMER IN, the
// 8253's CLK 0-2, the 8251's TxC. The 8255 and 8279 take no count.
void ClockDevice(Device& device, std::uint64_t pulses);

// The level of an output the kit may wire to an interrupt input, as "the
// request is on": the 8155's TIMER OUT low, an 8255 INTR, an 8253 OUT high,
// the 8279's IRQ, the 8251's RxRDY or TxRDY.
bool ReadDeviceOutput(const Device& device, int output);

// A parallel port: the byte the chip drives, and the pins the outside drives.
std::uint8_t ReadDevicePort(const Device& device, int port);
void SetDevicePortPins(Device& device, int port, std::uint8_t value);
