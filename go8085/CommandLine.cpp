#include "CommandLine.h"

#include <string_view>

const char* const _UsageText =
    "Usage: Go8085 [--keep-going] [--verbose] [--intel-hex] [--binary] [--] SOURCE [REGISTERS]\n"
    "              [Run8085 options...]\n"
    "Assembles SOURCE (Corvane, Pass2), builds its image (Tessily) from the register\n"
    "data file REGISTERS or from the default start, and runs it (Run8085).\n"
    "  --keep-going  go on to Pass2 even when pass 1 found errors\n"
    "  --verbose     show each step's command and the default register data file\n"
    "  --intel-hex   also write the machine code as Intel HEX, SOURCE.ihx\n"
    "  --binary      also write the placed bytes as a raw binary, SOURCE.bin\n"
    "  --help        show this text\n"
    "  --version     show the version\n"
    "Run8085's options go after SOURCE; --debug, --cpm and the kit options (--kit NAME,\n"
    "--keys LIST, --keys-file FILE, --board B, --probe P) may also come before it.\n"
    "A comment '; kit: NAME' at the top of SOURCE runs it with --kit NAME.\n";

namespace {

// Go8085's own options: the flag each one sets.
struct OwnOption {
    std::string_view Name;
    bool CommandLine::*Flag;
};

constexpr OwnOption _OwnOptions[] = {
    {"--keep-going", &CommandLine::KeepGoing},
    {"--verbose", &CommandLine::Verbose},
    {"--intel-hex", &CommandLine::IntelHex},
    {"--binary", &CommandLine::Binary},
    {"--help", &CommandLine::Help},
    {"--version", &CommandLine::Version},
};

// Run8085's options that take no value, and so may stand before the source.
constexpr std::string_view _SimulatorFlags[] = {"--debug", "--cpm"};

// Run8085's kit options, which may stand before the source with their value:
// Go8085 --kit sdk85 prog.asm.
constexpr std::string_view _SimulatorKitOptions[] = {"--kit", "--keys", "--keys-file", "--board", "--probe"};

bool IsSimulatorKitOption(const std::string& text)
{
    for (std::string_view option : _SimulatorKitOptions) {
        if (text == option) {
            return true;
        }
    }
    return false;
}

// Applies one of Go8085's own options; false when text is none of them.
bool ApplyOwnOption(CommandLine& line, const std::string& text)
{
    for (const OwnOption& option : _OwnOptions) {
        if (text == option.Name) {
            line.*option.Flag = true;
            return true;
        }
    }
    return false;
}

bool IsSimulatorFlag(const std::string& text)
{
    for (std::string_view flag : _SimulatorFlags) {
        if (text == flag) {
            return true;
        }
    }
    return false;
}

bool IsOption(const std::string& text)
{
    return text.size() > 1 && text[0] == '-';
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    CommandLine line;
    bool registerFileAllowed = false;
    bool sourceNext = false; // after --: the next argument is the source
    bool valueNext = false;  // after a kit option before the source: its value
    for (const std::string& arg : args) {
        if (valueNext) {
            line.SimulatorOptions.push_back(arg);
            valueNext = false;
            continue;
        }
        if (line.Source.empty() && !sourceNext && IsSimulatorKitOption(arg)) {
            line.SimulatorOptions.push_back(arg);
            valueNext = true;
            continue;
        }
        if (line.Source.empty() && sourceNext) {
            line.Source = arg;
            registerFileAllowed = true;
            continue;
        }
        if (ApplyOwnOption(line, arg)) {
            continue;
        }
        if (line.Source.empty()) {
            if (arg == "--") {
                sourceNext = true;
            } else if (IsSimulatorFlag(arg)) {
                line.SimulatorOptions.push_back(arg);
            } else if (IsOption(arg)) {
                if (line.Error.empty()) {
                    line.Error = "unknown option " + arg + " (Run8085's options go after the source)";
                }
            } else {
                line.Source = arg;
                registerFileAllowed = true;
            }
        } else if (registerFileAllowed && !IsOption(arg)) {
            line.RegisterFile = arg;
            registerFileAllowed = false;
        } else {
            line.SimulatorOptions.push_back(arg);
            registerFileAllowed = false;
        }
    }
    if (valueNext && line.Error.empty()) {
        line.Error = line.SimulatorOptions.back() + " needs a value";
    }
    if (line.Source.empty() && line.Error.empty()) {
        line.Error = "no source file given";
    }
    return line;
}
