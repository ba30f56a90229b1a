// The processor core of the simulator: the state of an 8080 or 8085 and the
// interpreter loop that runs it. The program around it (options, loading,
// report, trace, CP/M console) lives in other files and meets the core only
// through this header.
#pragma once

#include "InstructionSet.h"

#include <cstdint>

// Bits of the flag register F, as PUSH PSW pushes it on the 8085.
constexpr std::uint8_t _FlagS = 0x80;
constexpr std::uint8_t _FlagZ = 0x40;
constexpr std::uint8_t _FlagK = 0x20; // 8085, undocumented
constexpr std::uint8_t _FlagAC = 0x10;
constexpr std::uint8_t _FlagP = 0x04;
constexpr std::uint8_t _FlagV = 0x02; // 8085, undocumented
constexpr std::uint8_t _FlagCY = 0x01;

// Bits of CpuState::Masks, as SIM sets them (1 = masked).
constexpr std::uint8_t _MaskRst55 = 0x01;
constexpr std::uint8_t _MaskRst65 = 0x02;
constexpr std::uint8_t _MaskRst75 = 0x04;

// I/O is rare, so it goes through plain function pointers; a null pointer
// reads 0 and discards what is written. The callbacks run in the middle of
// the interpreter loop, where the registers in CpuState are not up to date:
// they must not read or change the CpuState.
struct IoPorts {
    std::uint8_t (*In)(void* context, std::uint8_t port) = nullptr;
    void (*Out)(void* context, std::uint8_t port, std::uint8_t value) = nullptr;
    void* Context = nullptr;
};

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

struct CpuState {
    CpuModel Model = CpuModel::I8085;
    std::uint8_t Memory[65536] = {};
    std::uint16_t PC = 0;
    std::uint16_t SP = 0;
    std::uint8_t A = 0, B = 0, C = 0, D = 0, E = 0, H = 0, L = 0;
    std::uint8_t F = 0;         // S Z K AC 0 P V CY, bit 7 down to bit 0
    bool IE = false;            // interrupt-enable flip-flop
    bool EnablePending = false; // EI executed: IE turns on after the next instruction
    bool Halted = false;
    std::uint8_t Masks = _MaskRst55 | _MaskRst65 | _MaskRst75;
    bool Rst75Latch = false;           // RST 7.5 pending
    bool Sod = false;                  // serial output latch
    bool RimShowsIeBeforeTrap = false; // after TRAP, RIM reads IE as it was before it
    bool IeBeforeTrap = false;
    InterruptLines Lines;
    IoPorts Io;
    std::uint64_t Instructions = 0; // instructions executed so far
    std::uint64_t States = 0;       // T-states so far
};

// Why RunCpu returned.
enum class RunEnd : std::uint8_t {
    Halted,    // HLT, and no interrupt that the lines and masks allow is pending
    StepLimit, // Instructions reached the limit
    Break,     // RunCpuUntilBreak: the next instruction's address is marked
};

// Sets the state to that after a reset of the model: PC 0, IE off, masks set.
void ResetCpu(CpuState& cpu, CpuModel model);

// Executes one instruction, or takes one pending interrupt (which counts as
// one instruction: the RST the processor performs), and returns the
// T-states it took. A halted processor with no interrupt to take does
// nothing and returns 0.
int StepCpu(CpuState& cpu);

// Runs until the processor halts with nothing to wake it, or until
// cpu.Instructions reaches stepLimit (0 means no limit).
RunEnd RunCpu(CpuState& cpu, std::uint64_t stepLimit);

// RunCpu for the debugger: runs at least one instruction (or interrupt),
// then stops before any instruction whose address is marked non-zero in
// breaks (65,536 entries). A second copy of the loop does the checking, so
// RunCpu pays nothing for it.
RunEnd RunCpuUntilBreak(CpuState& cpu, std::uint64_t stepLimit, const std::uint8_t* breaks);

// The flag byte as PUSH PSW pushes it: on the 8080 bit 1 is set and bits 3
// and 5 clear; on the 8085 bit 3 is clear.
std::uint8_t PswByte(const CpuState& cpu);
