#include "CommandLine.h"

const char* const _UsageText = "Usage: Go8085 [--keep-going] [--verbose] SOURCE [REGISTERS] [Run8085 options...]\n"
                               "Assembles SOURCE (Corvane, Pass2), builds its image (Tessily) from the register\n"
                               "data file REGISTERS or from the default start, and runs it (Run8085).\n"
                               "  --keep-going  go on to Pass2 even when pass 1 found errors\n"
                               "  --verbose     show each step's command and the default register data file\n"
                               "  --help        show this text\n"
                               "  --version     show the version\n";

// Applies one of Go8085's own options; false when text is none of them.
static bool ApplyOwnOption(CommandLine& line, const std::string& text)
{
    if (text == "--keep-going") {
        line.KeepGoing = true;
    } else if (text == "--verbose") {
        line.Verbose = true;
    } else if (text == "--help") {
        line.Help = true;
    } else if (text == "--version") {
        line.Version = true;
    } else {
        return false;
    }
    return true;
}

static bool IsOption(const std::string& text)
{
    return text.size() > 1 && text[0] == '-';
}

CommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    CommandLine line;
    bool registerFileAllowed = false;
    for (const std::string& arg : args) {
        if (ApplyOwnOption(line, arg)) {
            continue;
        }
        if (line.Source.empty()) {
            if (IsOption(arg)) {
                if (line.Error.empty()) {
                    line.Error = "unknown option " + arg + " (Run8085's options go after the source)";
                }
                continue;
            }
            line.Source = arg;
            registerFileAllowed = true;
        } else if (registerFileAllowed && !IsOption(arg)) {
            line.RegisterFile = arg;
            registerFileAllowed = false;
        } else {
            line.SimulatorOptions.push_back(arg);
            registerFileAllowed = false;
        }
    }
    if (line.Source.empty() && line.Error.empty()) {
        line.Error = "no source file given";
    }
    return line;
}
