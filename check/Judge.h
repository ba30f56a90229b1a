// A case's run against its expectations: pass, or the first difference in
// words, on the source line that made it.
#pragma once

#include "CheckFile.h"
#include "RunCase.h"

#include <string>

struct CaseVerdict {
    bool Passed = false;
    std::string Difference; // the first difference; empty when passed
};

CaseVerdict JudgeCase(const CheckCase& test, const CaseRun& run, const SourceMap& map);

// "2050H", "0F000H", "0AH": as the assembler writes hexadecimal.
std::string HexWord(unsigned value);
std::string HexByte(unsigned value);

// "2005H (prog.asm:6)", or "2005H" where the program placed nothing.
std::string DescribePlace(const SourceMap& map, std::uint16_t address);
