// A trainer kit in the machine (--kit NAME): the profile's chips at their
// ports and memory pages, the boards on their ports, the kit's clock and
// interrupt lines, the keypad fed from --keys, and the monitor's services
// performed at its entry points. RunSimulation hands a run with a kit to
// RunKitSimulation, a loop of its own that goes one instruction at a time,
// so that a run without a kit runs the core's loops exactly as before.
#pragma once

#include "Cpu.h"
#include "Kit.h"
#include "MachineOptions.h"
#include "Ports.h"
#include "SourceMap.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

struct SimulationSetup;
struct RunProgress;
enum class StopReason : std::uint8_t;

// What ended a kit's run, beside the machine's own reasons.
enum class KitFaultKind : std::uint8_t {
    None,
    NoDevicePort, // IN or OUT at a port where the kit has no chip
    NoMemory,     // a load, store or fetch where the kit has no memory
};

// What a page of memory is on the kit, for the loop's quick look.
enum class PageClass : std::uint8_t { Memory, Rom, Device, Unmapped, Mixed };

struct KitMachine {
    Kit TheKit;
    std::unique_ptr<std::uint8_t[]> Entries; // 65536 marks: the monitor's entry points
    PageClass Pages[256] = {};               // each page's class
    std::vector<KitKeyPress> Keys;           // from --keys: timed ones by step, then the rest in order
    std::size_t NextTimedKey = 0;
    std::size_t NextWaitKey = 0;
    std::vector<KitProbe> Probes;
    std::vector<bool> ProbeLevels;
    std::vector<std::string> BoardShown; // each board as last printed
    std::string DisplayShown;            // the display as last printed
    bool DisplayTouched = false;         // the program wrote to the 8279, or the monitor showed something
    std::uint64_t Step = 0;              // the number of the instruction running
    std::FILE* Out = nullptr;            // where display and board changes are printed; null: nowhere
    std::uint16_t InstructionAt = 0;     // the address of the instruction running
    KitFaultKind Fault = KitFaultKind::None;
    std::uint16_t FaultFrom = 0; // the instruction that touched what the kit lacks
    std::uint16_t FaultAddress = 0;
    bool FaultIsStore = false;
    std::uint64_t RomStores = 0; // stores the ROM ignored
    std::uint16_t FirstRomStore = 0;
    std::uint16_t FirstRomStoreFrom = 0;
};

// Sets the kit up from the options (profile, boards, keys, probes) and
// plugs it into ports at every port but the console's and those --input
// gives a value. Returns the error, or "".
std::string SetUpKitMachine(KitMachine& machine, const MachineOptions& options, PortDevices& ports);

// The run loop with a kit (see RunSimulation).
StopReason RunKitSimulation(CpuState& cpu, const SimulationSetup& setup, RunProgress& progress);

// What the run's end says, without a line end: the fault, or why the kit's
// run ended ("returned to the monitor (RST 1)"). Addresses of the program
// are named with their source lines when map is not null.
std::string DescribeKitEnd(const KitMachine& machine, StopReason stop, const SourceMap* map = nullptr);

// The ROM stores' warning, or "" when there were none.
std::string DescribeRomStores(const KitMachine& machine, const SourceMap* map = nullptr);

// A line that shows one change: "display: 2050 3A   (step 12)".
std::string FormatKitLine(const std::string& what, std::uint64_t step, std::uint64_t states);
