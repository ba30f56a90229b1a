// The programs that every front end must end alike, and the end state of a
// run as Run8085's report names it, for the test that holds the front ends
// together (FrontEnds_test.cpp natively, debugger_module.mjs for the page's
// module).
//
// A case is a folder holding `image` (65,560 bytes), `map` when the program
// has a source map, and `options`, the Run8085 options one a line (none of
// them names a file, so the page's module takes them as they are). The
// cases are: the examples, the golden programs and the program collection
// assembled by Go8085 (with their maps); a program whose last instruction
// is HLT; the trainer-kit endings RST 1, RST 5 and a CALL into the monitor;
// interrupt events of every source; random programs on both processors,
// some with interrupt events; and the CP/M console programs 8080PRE.COM and
// TST8080.COM when a folder holding them is named.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

struct FrontEndCase {
    std::string Name;             // "examples/countdown.asm", "random/17"
    std::filesystem::path Folder; // image, map, options
    bool HasMap = false;
    std::vector<std::string> Options;
};

struct CaseSources {
    std::filesystem::path Repository; // examples/, tests/golden/go8085/, tests/programs/
    std::string Go8085;
    std::filesystem::path CpuTests; // 8080PRE.COM, TST8080.COM; empty: none
    int RandomPrograms = 500;
};

// Writes the cases into folder (one subfolder each) and lists them. Sources
// that Go8085 refuses (they are there to be refused) are no case; notes
// says which, and which CP/M programs were not found.
bool WriteFrontEndCases(const CaseSources& sources, const std::filesystem::path& folder,
                        std::vector<FrontEndCase>& cases, std::vector<std::string>& notes, std::string& error);

// The end of a run, keyed as Run8085's report keys it ("stop", "t-states",
// "PC", "CY", "M7.5", "out 01", ...), with the 64 KiB of memory and what the
// program printed on the console.
struct EndState {
    std::map<std::string, std::string> Fields;
    std::string Memory;
    std::string Console;
};

// Runs Run8085 on the case (its report, --out for the memory), leaving in
// the case's folder `report` (Run8085's report: standard error under --cpm),
// `console` (what the program printed, under --cpm or --console-port) and
// `final.img`.
bool RunPlain(const std::string& run8085, const FrontEndCase& run, EndState& end, std::string& error);

// Runs Run8085 --debug on the case with `continue`, then reads the
// registers, PSW, K and V, and the memory from the transcript. Instruction
// and T-state counts, IE, the masks and the ports are not in a transcript.
bool RunTerminalDebugger(const std::string& run8085, const FrontEndCase& run, EndState& end, std::string& error);

// The fields that differ, one line each: "PC: Run8085 2007, debugger 2005".
// Every field of either side is compared except those whose key starts
// with one of notShown (what that front end does not show), and the memory
// and console; where the memory differs the first few bytes are named.
std::vector<std::string> CompareEnds(const EndState& expected, const EndState& actual, const std::string& actualName,
                                     const std::vector<std::string>& notShown);

// What the terminal debugger does not show.
extern const std::vector<std::string> _NotInTranscript;
