// The trainer kits, one row each in _KitProfiles: the memory map, the chips
// and where they answer, the keypad, the display, the monitor's entry points
// that the simulator serves, and how a program goes back to the monitor.
// Every fact has its source in docs/kits.md; a row whose Source is
// "unconfirmed" holds a value no stored copy of the kit's manual showed.
#pragma once

#include "Device.h"
#include "Interrupts.h"

#include <cstdint>
#include <span>
#include <string_view>

struct MemoryRange {
    std::uint16_t First;
    std::uint16_t Last;
};

// A chip on the kit. Registers answer at Base + offset * Stride: I/O ports,
// or memory addresses when MemoryMapped (then every page from Base to
// Base + Registers * Stride - 1 answers, as the kit decodes only some lines).
struct ChipPlacement {
    const char* Name; // "8279", "8155 (expansion)": as messages name it
    DeviceKind Kind;
    bool MemoryMapped;
    std::uint16_t Base;
    std::uint16_t Stride;
    int RamPage;                  // the page (high byte) of an 8155's 256 bytes, -1 for none; the kit
                                  // leaves them in the machine's memory (a profile's Ram range)
    std::uint32_t StatesPerPulse; // T-states per pulse of its clock input; 0: not clocked
    int WiredOutput;              // its output (ReadDeviceOutput) wired to an interrupt input, -1: none
    InterruptSource Line;
    const char* Source;
};

// What a monitor entry point does, performed by the simulator.
enum class MonitorService : std::uint8_t {
    ShowDataField,    // A on the two data digits
    ShowAddressField, // DE on the four address digits
    ShowDataAt,       // the byte at Operand on the data digits
    ShowAddressAt,    // the word at Operand (low byte first) on the address digits
    ReadKey,          // waits for a key; its value in A
    ClearDisplay,     // all six digits blank
    ReturnToMonitor,  // the program has ended
};

struct MonitorEntry {
    const char* Name; // the manual's name for it
    std::uint16_t Address;
    MonitorService Service;
    std::uint16_t Operand; // the memory a ...At service reads, 0 for the others
    const char* Changes;   // registers and flags it changes, as the manual says, or "not known"
    const char* Source;
};

// A command key of the keypad: the code the 8279 puts in its FIFO and the
// value the monitor's read-key routine returns in A. The hex keys, named "0"
// to "F", give their own value as both.
struct KitKey {
    const char* Name; // "NEXT", "EXEC"...
    std::uint8_t Code;
    std::uint8_t Value;
};

struct KitProfile {
    const char* Name; // as --kit names it
    const char* Title;
    const char* Manual;
    std::uint32_t ClockHz; // the processor's clock (T-states per second)
    std::span<const MemoryRange> Rom;
    std::span<const MemoryRange> Ram;
    std::span<const ChipPlacement> Chips;
    std::span<const MonitorEntry> Entries;
    std::span<const KitKey> Keys;
    const std::uint8_t* Font; // segment codes of the hex digits 0-F
    std::uint8_t BlankCode;   // a dark digit
    int AddressDigits[4];     // display RAM positions, left to right
    int DataDigits[2];
    const char* ReturnInstruction; // how a program ends: "RST 1"
    const char* VectorKey;         // the key wired to an interrupt input (not the 8279), or nullptr
    InterruptSource VectorLine;
};

extern const std::span<const KitProfile> _KitProfiles;

// The profile of that name, or nullptr.
const KitProfile* FindKitProfile(std::string_view name);
