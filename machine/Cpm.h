// The CP/M console for --cpm: just enough of page zero and of the BDOS for
// the public CP/M test programs to print their results.
//
// Mechanism: SetUpCpm writes a few bytes into memory and nothing else, so
// the interpreter loop pays nothing for it. Page zero is laid out as CP/M
// lays it out, with the BDOS entry near the top of memory and a BIOS above
// it:
//
//   0000H  JMP 0FE83H          warm boot, through the BIOS (the word at
//                              0001H points to the BIOS's warm-boot entry)
//   0005H  JMP 0FE00H          the BDOS entry; the word at 0006H is the
//                              top of the memory a program may use
//   FDFEH  0000H               SP points here, so that a program that
//                              ends with RET (as CP/M allows) ends the run
//   FE00H  HLT                 the BDOS trap
//   FE01H  RET                 back to the caller
//   FE83H  HLT                 the warm-boot trap: the end of the run
//
// A HLT stops RunCpu (or leaves StepCpu with cpu.Halted set). The program
// then calls ServeCpm: at the BDOS trap it serves the call in C and lets the
// processor go on to the RET; at the warm-boot trap it reports the end of
// the run and puts PC back to 0000H; at any other HLT it answers NotCpm and
// the halt is an ordinary one.
//
// Counting: the two trap HLTs are plumbing, not part of the program, so
// ServeCpm takes each one back out of cpu.Instructions and cpu.States, and a
// trace should leave them out (IsCpmTrap). What the console adds to the
// counts is what a real CP/M executes too: the JMP at 0005H and a RET for
// each BDOS call, and the JMP at 0000H at the end. The published counts of
// the CP/M test programs were taken the same way, and the core's counts
// match them exactly.
#pragma once

#include "Cpu.h"

#include <cstdint>

constexpr std::uint16_t _CpmProgramStart = 0x0100; // where a .COM program is loaded and starts
constexpr std::uint16_t _CpmWarmBoot = 0x0000;
constexpr std::uint16_t _CpmBdosCall = 0x0005;
constexpr std::uint16_t _CpmBdosEntry = 0xFE00;
constexpr std::uint16_t _CpmWarmBootTrap = 0xFE83;

// Where the program's console output and the warnings go. A null pointer
// discards them.
struct CpmConsole {
    void (*Print)(void* context, std::uint8_t byte) = nullptr;
    // A BDOS function other than 2 and 9: the function number (C) and the
    // address the call returns to (the CALL's address plus 3).
    void (*Warn)(void* context, std::uint8_t function, std::uint16_t returnAddress) = nullptr;
    void* Context = nullptr;
};

// What ServeCpm found at a HLT.
enum class CpmEvent : std::uint8_t {
    NotCpm,   // an ordinary HLT of the program (or the processor is not halted)
    BdosCall, // a BDOS call, served; run on
    Exit,     // the program reached 0000H; cpu.PC is 0000H
};

// Writes page zero, the BIOS and BDOS traps and the return address 0000H
// into cpu.Memory and sets SP (see above). Call it after loading the program
// and before setting registers from options such as --sp.
void SetUpCpm(CpuState& cpu);

// Call when RunCpu returns RunEnd::Halted (or StepCpu leaves cpu.Halted set)
// under --cpm. See the mechanism above.
CpmEvent ServeCpm(CpuState& cpu, const CpmConsole& console);

// Whether the HLT at address is one of the console's traps rather than the
// program's (for the trace, which leaves the traps out).
bool IsCpmTrap(std::uint16_t address);
