// A kit at run time: the chips of a profile placed at their addresses, the
// boards on their ports, the clock, the interrupt lines, the keypad and
// display, and the monitor's services. Driven from memory: the machine's run
// loop calls these by address and never reads a file.
//
// What the run loop does with a kit (the plan for plugging it in):
//   IN and OUT        ReadKitPort / WriteKitPort; Unmapped is the error that
//                     names the port.
//   memory access     ReadKitMemory / WriteKitMemory before touching
//                     cpu.Memory: Device means the kit answered; Rom means a
//                     store the board ignores (warn, once per address or so);
//                     Memory means plain RAM; Unmapped means no memory there.
//   each instruction  ClockKit with its T-states, then DriveKitInterrupts.
//   PC at a mark      MarkMonitorEntries marks the entry points; at one,
//                     ServeMonitor performs the routine and returns to the
//                     caller as its RET would (or says it waits for a key, or
//                     that the program has ended).
#pragma once

#include "Boards.h"
#include "Cpu.h"
#include "Device.h"
#include "KitProfile.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct PlacedDevice {
    Device Chip;
    const ChipPlacement* Place = nullptr;
    std::uint64_t Spare = 0; // T-states not yet a whole pulse of its clock
    bool LastOutput = false; // its wired output before the last DriveKitInterrupts
};

struct AttachedBoard {
    Board State;
    int Device = 0;      // index in Kit::Devices
    int Port = 0;        // 0 A, 1 B, 2 C
    int SecondPort = -1; // the traffic light's south and west lamps
};

struct Kit {
    const KitProfile* Profile = nullptr;
    std::vector<PlacedDevice> Devices;
    std::vector<AttachedBoard> Boards;
    std::int16_t PortDevice[256]; // device index per I/O port, -1 for none
    std::uint8_t PortOffset[256];
    std::int16_t PageDevice[256];  // device index per memory page of a memory-mapped chip, -1 for none
    std::uint8_t PageOffset[256];  // the register that page reaches
    std::uint64_t States = 0;      // T-states the kit has been clocked
    bool VectorKeyPressed = false; // the profile's VectorKey, until DriveKitInterrupts raises its line
};

enum class KitAccess : std::uint8_t {
    Device,   // a chip answered
    Memory,   // plain RAM: the caller reads or writes its memory
    Rom,      // the monitor's ROM: reads come from memory, stores are ignored
    Unmapped, // nothing answers at that port or address
};

// Places the profile's chips, all reset.
void SetUpKit(Kit& kit, const KitProfile& profile);

KitAccess ReadKitPort(Kit& kit, std::uint8_t port, std::uint8_t& value);
KitAccess WriteKitPort(Kit& kit, std::uint8_t port, std::uint8_t value);
KitAccess ReadKitMemory(Kit& kit, std::uint16_t address, std::uint8_t& value);
KitAccess WriteKitMemory(Kit& kit, std::uint16_t address, std::uint8_t value);

// Advances the kit's clock: each chip gets the pulses its clock input sees.
void ClockKit(Kit& kit, std::uint64_t tStates);

// Sets the interrupt lines from the chips' wired outputs: RST 5.5 and 6.5
// follow the level, TRAP, RST 7.5 and INTR are raised on a rising edge.
void DriveKitInterrupts(Kit& kit, InterruptLines& lines);

// Attaches a board to port (0 A, 1 B, 2 C) of the first chip named chip
// ("8255"); the traffic light takes secondPort too. False when there is no
// such chip or port.
bool AttachBoard(Kit& kit, BoardKind kind, std::string_view chip, int port, int secondPort = -1);

// Presses a key of the keypad by its name; false for a name the kit lacks.
// The profile's VectorKey raises its interrupt line (at the next
// DriveKitInterrupts) instead of entering the 8279's FIFO.
bool PressKitKey(Kit& kit, std::string_view name);

// The six digits as text, "2050 3A": the address field, a space, the data
// field. A dark digit is a space; a code that is no hex digit is '?'.
std::string DescribeKitDisplay(const Kit& kit);

// The kit's 8279, or nullptr.
Chip8279* FindKitDisplay(Kit& kit);

// --- The monitor's services ---------------------------------------------
enum class MonitorEvent : std::uint8_t {
    NotEntry,   // PC is at no entry point
    Served,     // performed; PC is the caller's return address
    WaitingKey, // a key is wanted and none is pressed; PC is unchanged
    Returned,   // the program went back to the monitor: the run ends
};

// Sets marks[address] nonzero at every entry point (65,536 entries).
void MarkMonitorEntries(const Kit& kit, std::uint8_t* marks);
const MonitorEntry* FindMonitorEntry(const Kit& kit, std::uint16_t address);

// Performs the routine at cpu.PC, if it is an entry point, and returns from
// it as its RET would (popping the return address). The routine's own
// instructions and T-states are not counted.
MonitorEvent ServeMonitor(Kit& kit, CpuState& cpu);
