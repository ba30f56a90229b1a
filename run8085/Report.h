// The final report: one fact a line, "name: value", in a fixed order, for
// people and for scripts (grep, the front end).
#pragma once

#include "Cpu.h"
#include "Options.h"
#include "Ports.h"
#include "Simulation.h"

#include <cstdint>
#include <string>
#include <vector>

// The whole report, every line ending in a line feed.
std::string FormatReport(const CpuState& cpu, StopReason stop, const PortLog& ports,
                         const std::vector<DumpRange>& dumps);

// The "dump AAAA: ..." lines of one range: 16 bytes a line in hexadecimal,
// then the same bytes as ASCII between bars.
std::string FormatDump(const std::uint8_t* memory, DumpRange range);
