// The command line of Go8085:
//
//   Go8085 [own options] [--] SOURCE [REGISTERS] [Run8085 options...]
//
// Go8085's own options may stand anywhere; every other option belongs to
// the simulator and comes after the source (and the register data file),
// except the few simulator options that take no value, which may also come
// before it. `--` makes the next argument the source, whatever it begins with.
#pragma once

#include <string>
#include <vector>

struct CommandLine {
    std::string Source;
    std::string RegisterFile; // empty: the default start
    std::vector<std::string> SimulatorOptions;
    bool KeepGoing = false; // go on past errors of pass 1
    bool Verbose = false;   // show each step and the default start
    bool IntelHex = false;  // also write the machine code as Intel HEX
    bool Binary = false;    // also write the placed bytes as a raw binary
    bool Help = false;
    bool Version = false;
    std::string Error; // what is wrong with it; empty when usable
};

// Sorts the arguments (without the program name) into their places.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The usage text, ending in a line end.
extern const char* const _UsageText;
