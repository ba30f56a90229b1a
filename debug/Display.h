// What the debugger shows: the two lines of a stop, memory, source lines
// and disassembly.
#pragma once

#include "DebugSession.h"

#include <cstdint>
#include <string>
#include <string_view>

// The next instruction's source line ("prog.asm:5: LOOP:   ADD B"), or
// without one its address and disassembly ("2004: ADD B").
std::string FormatLocationLine(const DebugSession& session);

// PC=2004 SP=0000 A=08 ... CY=0; with marks, the values that differ from
// before are in bold.
std::string FormatRegisterLine(const CpuState& cpu, const CpuState* before);

// count bytes from address, 16 a line: "2050: 37 00 ...  |7.|".
std::string FormatMemory(const std::uint8_t* memory, std::uint16_t address, unsigned count);

// count instructions from address, "=>" before the one at PC.
std::string FormatDisassembly(const DebugSession& session, std::uint16_t address, unsigned count);

// Text of the source (a line, its name) as a terminal may show it: NUL, ESC,
// CR and the other control characters but the tab made visible (\x00, \r),
// as in every message that quotes the source.
std::string VisibleText(std::string_view text);

// Source lines first to last, "=>" before the one of PC.
std::string FormatSourceLines(const DebugSession& session, int first, int last);
