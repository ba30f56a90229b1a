// The CP/M console for --cpm: just enough of page zero and of the BDOS for
// the public CP/M test programs to print their results.
//
// Mechanism: SetUpCpm writes a few bytes into memory and nothing else, so
// the interpreter loop pays nothing for it.
//
//   0000H  HLT                 reaching 0000H (warm boot) ends the run
//   0005H  JMP 0FE06H          the BDOS entry; the word at 0006H is the
//                              top of the memory a program may use
//   FE06H  HLT                 the BDOS trap
//   FE07H  RET                 back to the caller
//
// A HLT stops RunCpu (or leaves StepCpu with cpu.Halted set). The program
// then calls ServeCpm: at the BDOS trap it serves the call in C and lets the
// processor go on to the RET; at 0000H it reports the end of the run; at any
// other HLT it answers NotCpm and the halt is an ordinary one.
//
// Counting: the two trap HLTs are plumbing, not part of the program, so
// ServeCpm takes each one back out of cpu.Instructions and cpu.States. What
// a BDOS call adds to the counts is then the JMP at 0005H and the RET at
// FE07H, which a real CP/M would execute as well (with more besides).
#pragma once

#include "Cpu.h"

#include <cstdint>

constexpr std::uint16_t _CpmWarmBoot = 0x0000;
constexpr std::uint16_t _CpmBdosCall = 0x0005;
constexpr std::uint16_t _CpmBdosEntry = 0xFE06;

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

// Writes page zero and the BDOS trap into cpu.Memory. Call it after loading
// the program.
void SetUpCpm(CpuState& cpu);

// Call when RunCpu returns RunEnd::Halted (or StepCpu leaves cpu.Halted set)
// under --cpm. See the mechanism above.
CpmEvent ServeCpm(CpuState& cpu, const CpmConsole& console);
