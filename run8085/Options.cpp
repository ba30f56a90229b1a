#include "Options.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <limits>
#include <string_view>

namespace {

constexpr std::uint32_t _MaxAddress = 0xFFFF;
constexpr std::uint32_t _MaxByte = 0xFF;

const char* const _Usage = "Usage: Run8085 [options] [IMAGE]\n"
                           "Runs an 8085 (or 8080) program from a 65,560-byte image and reports its final state.\n"
                           "\n"
                           "Addresses, ports and bytes are hexadecimal (2000, 2000H, 0x2000); counts are decimal.\n"
                           "  --cpu 8085|8080          processor model (default 8085)\n"
                           "  --load FILE@ADDR         copy a raw binary file into memory at ADDR (repeatable)\n"
                           "  --pc ADDR, --sp ADDR     start with this program counter, stack pointer\n"
                           "  --interrupt STEP:SOURCE  raise TRAP, RST5.5, RST6.5, RST7.5 or INTR:n before\n"
                           "                           instruction STEP (repeatable)\n"
                           "  --console-port N         OUT N writes to standard output, IN N reads standard input\n"
                           "  --input P=V              IN P reads V (repeatable; other ports read 0)\n"
                           "  --cpm                    CP/M console calls at 0005H; reaching 0000H ends the run;\n"
                           "                           the report goes to standard error\n"
                           "  --max-steps N            stop after N instructions (default 1000000000; 0: no limit)\n"
                           "  --dump FROM-TO           add a memory dump to the report (repeatable)\n"
                           "  --out FILE               write the final state as an image\n"
                           "  --trace FILE|-           one line per instruction to FILE or standard output\n"
                           "  --debug                  stop before the first instruction and read debugger\n"
                           "                           commands (step, break, reverse-step, ...; 'help' lists them)\n"
                           "  --history-size MIB       the debugger's history memory (default 64)\n"
                           "  --map FILE               the program's source map: source lines in the debugger\n"
                           "  --help, --version        show this text, or the version, and exit\n"
                           "\n"
                           "Exit status: 0 halted (or CP/M exit), 2 step limit reached, 1 unusable input or options.\n";

enum class OptionKind : std::uint8_t {
    Cpu,
    Load,
    Pc,
    Sp,
    Interrupt,
    ConsolePort,
    Input,
    Cpm,
    MaxSteps,
    Dump,
    Out,
    Trace,
    Debug,
    HistorySize,
    Map,
    Help,
    Version,
};

struct OptionName {
    std::string_view Name;
    OptionKind Kind;
    bool TakesValue;
};

constexpr OptionName _Options[] = {
    {"--cpu", OptionKind::Cpu, true},
    {"--load", OptionKind::Load, true},
    {"--pc", OptionKind::Pc, true},
    {"--sp", OptionKind::Sp, true},
    {"--interrupt", OptionKind::Interrupt, true},
    {"--console-port", OptionKind::ConsolePort, true},
    {"--input", OptionKind::Input, true},
    {"--cpm", OptionKind::Cpm, false},
    {"--max-steps", OptionKind::MaxSteps, true},
    {"--dump", OptionKind::Dump, true},
    {"--out", OptionKind::Out, true},
    {"--trace", OptionKind::Trace, true},
    {"--debug", OptionKind::Debug, false},
    {"--history-size", OptionKind::HistorySize, true},
    {"--map", OptionKind::Map, true},
    {"--help", OptionKind::Help, false},
    {"--version", OptionKind::Version, false},
};

const OptionName* FindOption(std::string_view name)
{
    for (const OptionName& option : _Options) {
        if (option.Name == name)
            return &option;
    }
    return nullptr;
}

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<std::uint64_t> ParseDecimalCount(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string HexByteText(std::uint8_t value)
{
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

std::string Quote(const std::string& text)
{
    return "'" + text + "'";
}

// The message for a value that is not a hexadecimal number up to max.
std::string NotHex(const std::string& option, const std::string& text, std::uint32_t max)
{
    return option + ": " + Quote(text) + " is not a hexadecimal " +
           (max == _MaxAddress ? "address 0-FFFF" : "number 0-FF");
}

std::optional<InterruptEvent> ParseInterrupt(const std::string& text)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos)
        return std::nullopt;
    const std::optional<std::uint64_t> step = ParseDecimalCount(text.substr(0, colon));
    if (!step || *step == 0)
        return std::nullopt;
    InterruptEvent event;
    event.Step = *step;
    const std::string source = Upper(text.substr(colon + 1));
    if (source == "TRAP") {
        event.Source = InterruptSource::Trap;
    } else if (source == "RST5.5") {
        event.Source = InterruptSource::Rst55;
    } else if (source == "RST6.5") {
        event.Source = InterruptSource::Rst65;
    } else if (source == "RST7.5") {
        event.Source = InterruptSource::Rst75;
    } else if (source.size() == 6 && source.compare(0, 5, "INTR:") == 0 && source[5] >= '0' && source[5] <= '7') {
        event.Source = InterruptSource::Intr;
        event.RstNumber = static_cast<std::uint8_t>(source[5] - '0');
    } else {
        return std::nullopt;
    }
    return event;
}

// Applies one option with its value; returns the error, or "" when fine.
std::string ApplyOption(OptionKind kind, const std::string& name, const std::string& value, RunOptions& options)
{
    switch (kind) {
    case OptionKind::Cpu:
        if (value == "8085") {
            options.Model = CpuModel::I8085;
        } else if (value == "8080") {
            options.Model = CpuModel::I8080;
        } else {
            return "--cpu: " + Quote(value) + " is not a processor model (8085 or 8080)";
        }
        return "";
    case OptionKind::Load: {
        const std::size_t at = value.rfind('@');
        if (at == std::string::npos || at == 0)
            return "--load: " + Quote(value) + " is not FILE@ADDR";
        const std::optional<std::uint32_t> address = ParseHexNumber(value.substr(at + 1), _MaxAddress);
        if (!address)
            return NotHex("--load", value.substr(at + 1), _MaxAddress);
        options.Loads.push_back({value.substr(0, at), static_cast<std::uint16_t>(*address)});
        return "";
    }
    case OptionKind::Pc:
    case OptionKind::Sp: {
        const std::optional<std::uint32_t> address = ParseHexNumber(value, _MaxAddress);
        if (!address)
            return NotHex(name, value, _MaxAddress);
        (kind == OptionKind::Pc ? options.Pc : options.Sp) = static_cast<std::uint16_t>(*address);
        return "";
    }
    case OptionKind::Interrupt: {
        const std::optional<InterruptEvent> event = ParseInterrupt(value);
        if (!event) {
            return "--interrupt: " + Quote(value) +
                   " is not STEP:SOURCE (STEP a decimal count from 1; SOURCE TRAP, RST5.5, RST6.5, RST7.5 or INTR:0-7)";
        }
        options.Interrupts.push_back(*event);
        return "";
    }
    case OptionKind::ConsolePort: {
        const std::optional<std::uint32_t> port = ParseHexNumber(value, _MaxByte);
        if (!port)
            return NotHex(name, value, _MaxByte);
        options.ConsolePort = static_cast<int>(*port);
        return "";
    }
    case OptionKind::Input: {
        const std::size_t equals = value.find('=');
        const std::optional<std::uint32_t> port =
            equals == std::string::npos ? std::nullopt : ParseHexNumber(value.substr(0, equals), _MaxByte);
        const std::optional<std::uint32_t> byte =
            equals == std::string::npos ? std::nullopt : ParseHexNumber(value.substr(equals + 1), _MaxByte);
        if (!port || !byte)
            return "--input: " + Quote(value) + " is not P=V (a hexadecimal port and byte, 0-FF each)";
        options.Inputs.push_back({static_cast<std::uint8_t>(*port), static_cast<std::uint8_t>(*byte)});
        return "";
    }
    case OptionKind::MaxSteps: {
        const std::optional<std::uint64_t> count = ParseDecimalCount(value);
        if (!count)
            return "--max-steps: " + Quote(value) + " is not a decimal count";
        options.MaxSteps = *count;
        return "";
    }
    case OptionKind::Dump: {
        const std::size_t dash = value.find('-');
        const std::optional<std::uint32_t> from =
            dash == std::string::npos ? std::nullopt : ParseHexNumber(value.substr(0, dash), _MaxAddress);
        const std::optional<std::uint32_t> to =
            dash == std::string::npos ? std::nullopt : ParseHexNumber(value.substr(dash + 1), _MaxAddress);
        if (!from || !to)
            return "--dump: " + Quote(value) + " is not FROM-TO (hexadecimal addresses 0-FFFF)";
        if (*from > *to)
            return "--dump: " + Quote(value) + " ends before it begins";
        options.Dumps.push_back({static_cast<std::uint16_t>(*from), static_cast<std::uint16_t>(*to)});
        return "";
    }
    case OptionKind::Out: options.OutFile = value; return "";
    case OptionKind::Trace: options.TraceFile = value; return "";
    case OptionKind::Cpm: options.Cpm = true; return "";
    case OptionKind::Debug: options.Debug = true; return "";
    case OptionKind::Map: options.MapFile = value; return "";
    case OptionKind::HistorySize: {
        const std::optional<std::uint64_t> size = ParseDecimalCount(value);
        if (!size || *size == 0 || *size > 65536)
            return "--history-size: " + Quote(value) + " is not a size in MiB, 1-65536";
        options.HistoryMiB = *size;
        return "";
    }
    case OptionKind::Help:
    case OptionKind::Version: return "";
    }
    return "";
}

// Rules that involve more than one option.
std::string CheckCombination(const RunOptions& options)
{
    if (options.ImageFile.empty() && options.Loads.empty())
        return "no IMAGE and no --load: nothing to run";
    if (options.Cpm && options.TraceFile == "-")
        return "--trace - cannot be used with --cpm: standard output carries only what the program prints";
    for (const InterruptEvent& event : options.Interrupts) {
        if (options.Model == CpuModel::I8080 && event.Source != InterruptSource::Intr)
            return "--interrupt: the 8080 has no TRAP or RST 5.5, 6.5 and 7.5 inputs, only INTR";
    }
    for (const PortInput& input : options.Inputs) {
        if (input.Port == options.ConsolePort)
            return "--input: port " + HexByteText(input.Port) + " is the console port, which reads standard input";
    }
    return "";
}

CommandLine Fail(std::string error)
{
    CommandLine result;
    result.Action = CommandLineAction::Fail;
    result.Error = std::move(error);
    return result;
}

} // namespace

std::optional<std::uint32_t> ParseHexNumber(const std::string& text, std::uint32_t max)
{
    std::string_view digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.remove_prefix(2);
    } else if (digits.size() > 1 && (digits.back() == 'H' || digits.back() == 'h')) {
        digits.remove_suffix(1);
    }
    if (digits.empty())
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : digits) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(digit);
        if (value > max)
            return std::nullopt;
    }
    return value;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    CommandLine result;
    RunOptions& options = result.Options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            if (!options.ImageFile.empty())
                return Fail("more than one IMAGE: " + Quote(options.ImageFile) + " and " + Quote(arg));
            if (arg.empty())
                return Fail("an empty IMAGE name");
            options.ImageFile = arg;
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const OptionName* option = FindOption(name);
        if (!option)
            return Fail("unknown option " + Quote(name));
        std::string value;
        if (!option->TakesValue) {
            if (equals != std::string::npos)
                return Fail("option " + name + " takes no value");
        } else if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        }
        if (option->TakesValue && value.empty())
            return Fail("option " + name + " needs a value");
        if (option->Kind == OptionKind::Help) {
            result.Action = CommandLineAction::ShowHelp;
            return result;
        }
        if (option->Kind == OptionKind::Version) {
            result.Action = CommandLineAction::ShowVersion;
            return result;
        }
        std::string error = ApplyOption(option->Kind, name, value, options);
        if (!error.empty())
            return Fail(std::move(error));
    }
    std::string error = CheckCombination(options);
    if (!error.empty())
        return Fail(std::move(error));
    std::stable_sort(options.Interrupts.begin(), options.Interrupts.end(),
                     [](const InterruptEvent& a, const InterruptEvent& b) { return a.Step < b.Step; });
    return result;
}

const char* UsageText()
{
    return _Usage;
}
