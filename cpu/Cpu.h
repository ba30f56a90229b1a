// The processor core of the simulator: the state of an 8080 or 8085 and the
// interpreter loop that runs it. The program around it (options, loading,
// report, trace, CP/M console) lives in other files and meets the core only
// through this header.
#pragma once

#include "Flags.h"
#include "InstructionSet.h"
#include "Interrupts.h"

#include <cstdint>

// I/O is rare, so it goes through plain function pointers; a null pointer
// reads 0 and discards what is written. The callbacks run in the middle of
// the interpreter loop, where the registers in CpuState are not up to date:
// they must not read or change the CpuState.
struct IoPorts {
    std::uint8_t (*In)(void* context, std::uint8_t port) = nullptr;
    void (*Out)(void* context, std::uint8_t port, std::uint8_t value) = nullptr;
    void* Context = nullptr;
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
    // Set just before Io.Out is called: the OUT's address, and Instructions
    // as it will be with the OUT counted (the run keeps both in locals).
    std::uint16_t OutAddress = 0;
    std::uint64_t OutInstructions = 0;
    std::uint64_t States = 0;       // T-states so far
    TakenInterrupt LastInterrupt;   // the interrupt taken last, as TakeInterrupt notes it
};

// Why RunCpu returned.
enum class RunEnd : std::uint8_t {
    Halted,    // HLT, and no interrupt that the lines and masks allow is pending
    StepLimit, // Instructions reached the limit
    Break,     // RunCpuUntilBreak: the next instruction's address is marked
    Watched,   // RunCpuWatched only: stopped as its RunWatch asks
};

// What RunCpuWatched looks out for (Run8085 --map): Placed and Code point to
// 65536 entries each, nonzero where the program placed a byte, and where it
// placed a byte of an instruction.
struct RunWatch {
    const std::uint8_t* Placed = nullptr;
    const std::uint8_t* Code = nullptr;
    std::uint16_t LastAddress = 0; // set by the run: where the instruction (or interrupt) run last was
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

// RunCpu that also stops before an instruction at an address where nothing
// is placed (the instruction run before it is at watch.LastAddress), and
// before one that may store into code (conditions aside: a call on a
// condition may push). It runs in a loop of its own, so that RunCpu pays
// nothing for it; the instructions that StepCpu runs for it (after EI, on
// waking from HLT) are not watched for stores.
RunEnd RunCpuWatched(CpuState& cpu, std::uint64_t stepLimit, RunWatch& watch);

// The addresses the instruction at PC may write (0 to 2 of them, in
// addresses), conditions aside, as RunCpuWatched sees them.
int FindStoreAddresses(const CpuState& cpu, std::uint16_t addresses[2]);

// The addresses the instruction at PC reads besides its own bytes (0 to 2
// of them, in addresses), conditions aside: a return on a condition counts
// as reading the two bytes at SP. The debugger's rwatch and awatch.
int FindLoadAddresses(const CpuState& cpu, std::uint16_t addresses[2]);

// The flag byte as PUSH PSW pushes it: on the 8080 bit 1 is set and bits 3
// and 5 clear; on the 8085 bit 3 is clear.
std::uint8_t PswByte(const CpuState& cpu);
