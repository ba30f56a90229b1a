// The command line of Run8085: what to load, how to run it and what to
// report. Parsing is pure (argument strings in, a plain record out), so the
// tests drive it from memory.
#pragma once

#include "MachineOptions.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// --load FILE@ADDR
struct LoadRequest {
    std::string File;
    std::uint16_t Address = 0;
};

// --dump FROM-TO, both ends included.
struct DumpRange {
    std::uint16_t From = 0;
    std::uint16_t To = 0;
};

struct RunOptions {
    MachineOptions Machine;         // the model, --pc, --sp, --interrupt, --console-port, --input, --cpm, --max-steps
    std::string ImageFile;          // empty: no image
    std::vector<LoadRequest> Loads; // in command-line order
    std::vector<DumpRange> Dumps;   // in command-line order
    std::string OutFile;            // empty: no --out
    std::string TraceFile;          // empty: no trace; "-": standard output
    bool Debug = false;             // --debug: read debugger commands
    std::uint64_t HistoryMiB = 64;  // --history-size: the debugger's history memory
    std::string MapFile;            // --map: the source map of the program
    std::string KeysFile;           // --keys-file: more keys, read before the run
};

enum class CommandLineAction : std::uint8_t { Run, ShowHelp, ShowVersion, Fail };

struct CommandLine {
    CommandLineAction Action = CommandLineAction::Run;
    RunOptions Options;
    std::string Error; // Fail: what is wrong, without the program name
};

// Reads the arguments that follow the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// A hexadecimal number no greater than max: digits with an optional 0x
// prefix or H suffix (either case). Empty when the text is not one.
std::optional<std::uint32_t> ParseHexNumber(const std::string& text, std::uint32_t max);

// Keys as --keys gives them: names (or NAME@STEP) apart by spaces or
// commas, appended to keys. False, with the error, for a word that is not one.
bool ParseKitKeys(const std::string& text, std::vector<KitKeyPress>& keys, std::string& error);

// The usage text that --help prints, from the table of options.
std::string UsageText();
