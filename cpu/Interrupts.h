// The interrupt logic of the core: the interrupt sources, RIM and SIM, EI
// and DI, and taking an interrupt by the 8085's priorities (TRAP > RST 7.5 >
// RST 6.5 > RST 5.5 > INTR). The 8080 has INTR only.
//
// Cpu.h includes this header for the sources and the lines; the functions
// below take the processor state that Cpu.h declares, named here only.
#pragma once

#include <cstdint>

struct CpuState;

enum class InterruptSource : std::uint8_t { Trap, Rst75, Rst65, Rst55, Intr };

// Bits of CpuState::Masks, as SIM sets them (1 = masked).
constexpr std::uint8_t _MaskRst55 = 0x01;
constexpr std::uint8_t _MaskRst65 = 0x02;
constexpr std::uint8_t _MaskRst75 = 0x04;

// One row per interrupt source, in priority order (the first is taken first).
struct InterruptSourceInfo {
    InterruptSource Source;
    const char* Name;       // as the trace and the debugger show it: "TRAP", "RST 7.5", "INTR"
    const char* OptionName; // as --interrupt spells it: "TRAP", "RST7.5"; INTR adds ":n"
    std::uint16_t Vector;   // where it jumps; INTR: 0, the RST n on the data bus decides
    std::uint8_t MaskBit;   // its bit in the SIM and RIM masks; 0: not maskable by SIM
    int Priority;           // 1 is the highest
    bool Only8085;          // the 8080 has no such input
    bool Maskable;          // obeys EI and DI
};

inline constexpr InterruptSourceInfo _InterruptSources[] = {
    {InterruptSource::Trap, "TRAP", "TRAP", 0x0024, 0, 1, true, false},
    {InterruptSource::Rst75, "RST 7.5", "RST7.5", 0x003C, _MaskRst75, 2, true, true},
    {InterruptSource::Rst65, "RST 6.5", "RST6.5", 0x0034, _MaskRst65, 3, true, true},
    {InterruptSource::Rst55, "RST 5.5", "RST5.5", 0x002C, _MaskRst55, 4, true, true},
    {InterruptSource::Intr, "INTR", "INTR", 0x0000, 0, 5, false, true},
};

// The row of a source.
const InterruptSourceInfo& DescribeInterruptSource(InterruptSource source);

// Interrupt inputs, set by the program around the core between runs. When
// the core takes an interrupt it clears the request it served (the device
// has had its acknowledge): Trap, Rst55, Rst65, Intr. Rst75 is an edge: the
// core moves it into CpuState::Rst75Latch at the next step, masked or not.
// The 8080 model looks at Intr only.
struct InterruptLines {
    bool Trap = false;  // TRAP: non-maskable; taken once per raising
    bool Rst55 = false; // RST 5.5 level input
    bool Rst65 = false; // RST 6.5 level input
    bool Rst75 = false; // RST 7.5 edge: raising it sets the latch
    int Intr = -1;      // INTR with RST n on the data bus (0-7), -1 when none
    bool Sid = false;   // serial input data, read by RIM
};

// Raises a source's line; rstNumber is the RST n that INTR puts on the bus.
void RaiseInterruptLine(InterruptLines& lines, InterruptSource source, std::uint8_t rstNumber);

// The interrupt the processor took last, as the core reports it: which
// source, where it jumped, and the instruction count that taking it made
// (the processor's RST counts as one instruction). Step 0: none taken yet.
struct TakenInterrupt {
    InterruptSource Source = InterruptSource::Trap;
    std::uint16_t Vector = 0;
    std::uint64_t Step = 0;
};

// RIM: SID, I7.5, I6.5, I5.5, IE, M7.5, M6.5, M5.5 from bit 7 down. Right
// after a TRAP, IE reads as it was before the TRAP.
std::uint8_t ReadInterruptMasks(CpuState& cpu);

// SIM with the accumulator's value: bit 3 (MSE) loads the masks from bits
// 0-2, bit 4 (R7.5) clears the RST 7.5 latch, bit 6 (SDE) loads SOD from bit 7.
void SetInterruptMasks(CpuState& cpu, std::uint8_t value);

// EI and DI.
void EnableInterrupts(CpuState& cpu);
void DisableInterrupts(CpuState& cpu);

// Whether StepCpu must look at the interrupt lines before the next
// instruction: an interrupt can be taken, or an RST 7.5 edge is to be latched.
bool IsInterruptWaiting(const CpuState& cpu);

// Latches an RST 7.5 edge, then takes the interrupt of highest priority
// that can be taken, if any: clears IE and the halt, pushes PC, jumps to the
// vector, counts one instruction (the RST the processor performs) and
// notes it in cpu.LastInterrupt. Returns the T-states taken, 0 when there
// was none to take.
int TakeInterrupt(CpuState& cpu);
