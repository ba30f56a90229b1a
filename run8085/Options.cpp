#include "Options.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <limits>
#include <string_view>

namespace {

constexpr std::uint32_t _MaxAddress = 0xFFFF;
constexpr std::uint32_t _MaxByte = 0xFF;

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
    for (const InterruptSourceInfo& info : _InterruptSources) {
        const std::string name = info.OptionName;
        event.Source = info.Source;
        if (info.Source != InterruptSource::Intr && source == name)
            return event;
        // INTR names the RST n that the device puts on the data bus: INTR:n.
        if (info.Source == InterruptSource::Intr && source.size() == name.size() + 2 &&
            source.compare(0, name.size() + 1, name + ":") == 0 && source.back() >= '0' && source.back() <= '7') {
            event.RstNumber = static_cast<std::uint8_t>(source.back() - '0');
            return event;
        }
    }
    return std::nullopt;
}

// --- The options, one handler each -------------------------------------------
// A handler applies its option's value (empty for an option that takes none)
// and returns the error, or "" when the value is fine.

std::string ApplyCpu(const std::string&, const std::string& value, CommandLine& line)
{
    if (value == "8085") {
        line.Options.Machine.Model = CpuModel::I8085;
    } else if (value == "8080") {
        line.Options.Machine.Model = CpuModel::I8080;
    } else {
        return "--cpu: " + Quote(value) + " is not a processor model (8085 or 8080)";
    }
    return "";
}

std::string ApplyLoad(const std::string&, const std::string& value, CommandLine& line)
{
    const std::size_t at = value.rfind('@');
    if (at == std::string::npos || at == 0)
        return "--load: " + Quote(value) + " is not FILE@ADDR";
    const std::optional<std::uint32_t> address = ParseHexNumber(value.substr(at + 1), _MaxAddress);
    if (!address)
        return NotHex("--load", value.substr(at + 1), _MaxAddress);
    line.Options.Loads.push_back({value.substr(0, at), static_cast<std::uint16_t>(*address)});
    return "";
}

std::string ApplyAddress(const std::string& name, const std::string& value, std::optional<std::uint16_t>& target)
{
    const std::optional<std::uint32_t> address = ParseHexNumber(value, _MaxAddress);
    if (!address)
        return NotHex(name, value, _MaxAddress);
    target = static_cast<std::uint16_t>(*address);
    return "";
}

std::string ApplyPc(const std::string& name, const std::string& value, CommandLine& line)
{
    return ApplyAddress(name, value, line.Options.Machine.Pc);
}

std::string ApplySp(const std::string& name, const std::string& value, CommandLine& line)
{
    return ApplyAddress(name, value, line.Options.Machine.Sp);
}

std::string ApplyInterrupt(const std::string&, const std::string& value, CommandLine& line)
{
    const std::optional<InterruptEvent> event = ParseInterrupt(value);
    if (!event) {
        return "--interrupt: " + Quote(value) +
               " is not STEP:SOURCE (STEP a decimal count from 1; SOURCE TRAP, RST5.5, RST6.5, RST7.5 or INTR:0-7)";
    }
    line.Options.Machine.Interrupts.push_back(*event);
    return "";
}

std::string ApplyConsolePort(const std::string& name, const std::string& value, CommandLine& line)
{
    const std::optional<std::uint32_t> port = ParseHexNumber(value, _MaxByte);
    if (!port)
        return NotHex(name, value, _MaxByte);
    line.Options.Machine.ConsolePort = static_cast<int>(*port);
    return "";
}

std::string ApplyInput(const std::string&, const std::string& value, CommandLine& line)
{
    const std::size_t equals = value.find('=');
    const std::optional<std::uint32_t> port =
        equals == std::string::npos ? std::nullopt : ParseHexNumber(value.substr(0, equals), _MaxByte);
    const std::optional<std::uint32_t> byte =
        equals == std::string::npos ? std::nullopt : ParseHexNumber(value.substr(equals + 1), _MaxByte);
    if (!port || !byte)
        return "--input: " + Quote(value) + " is not P=V (a hexadecimal port and byte, 0-FF each)";
    line.Options.Machine.Inputs.push_back({static_cast<std::uint8_t>(*port), static_cast<std::uint8_t>(*byte)});
    return "";
}

std::string ApplyCpm(const std::string&, const std::string&, CommandLine& line)
{
    line.Options.Machine.Cpm = true;
    return "";
}

std::string ApplyMaxSteps(const std::string&, const std::string& value, CommandLine& line)
{
    const std::optional<std::uint64_t> count = ParseDecimalCount(value);
    if (!count)
        return "--max-steps: " + Quote(value) + " is not a decimal count";
    line.Options.Machine.MaxSteps = *count;
    return "";
}

std::string ApplyMap(const std::string&, const std::string& value, CommandLine& line)
{
    line.Options.MapFile = value;
    return "";
}

std::string ApplyDebug(const std::string&, const std::string&, CommandLine& line)
{
    line.Options.Debug = true;
    return "";
}

std::string ApplyHistorySize(const std::string&, const std::string& value, CommandLine& line)
{
    const std::optional<std::uint64_t> size = ParseDecimalCount(value);
    if (!size || *size == 0 || *size > 65536)
        return "--history-size: " + Quote(value) + " is not a size in MiB, 1-65536";
    line.Options.HistoryMiB = *size;
    return "";
}

std::string ApplyDump(const std::string&, const std::string& value, CommandLine& line)
{
    const std::size_t dash = value.find('-');
    const std::optional<std::uint32_t> from =
        dash == std::string::npos ? std::nullopt : ParseHexNumber(value.substr(0, dash), _MaxAddress);
    const std::optional<std::uint32_t> to =
        dash == std::string::npos ? std::nullopt : ParseHexNumber(value.substr(dash + 1), _MaxAddress);
    if (!from || !to)
        return "--dump: " + Quote(value) + " is not FROM-TO (hexadecimal addresses 0-FFFF)";
    if (*from > *to)
        return "--dump: " + Quote(value) + " ends before it begins";
    line.Options.Dumps.push_back({static_cast<std::uint16_t>(*from), static_cast<std::uint16_t>(*to)});
    return "";
}

std::string ApplyOut(const std::string&, const std::string& value, CommandLine& line)
{
    line.Options.OutFile = value;
    return "";
}

std::string ApplyTrace(const std::string&, const std::string& value, CommandLine& line)
{
    line.Options.TraceFile = value;
    return "";
}

std::string ApplyKit(const std::string&, const std::string& value, CommandLine& line)
{
    line.Options.Machine.Kit = value;
    return "";
}

std::string ApplyKeys(const std::string&, const std::string& value, CommandLine& line)
{
    std::string error;
    if (!ParseKitKeys(value, line.Options.Machine.Keys, error))
        return "--keys: " + error;
    return "";
}

std::string ApplyKeysFile(const std::string&, const std::string& value, CommandLine& line)
{
    line.Options.KeysFile = value;
    return "";
}

std::string ApplyBoard(const std::string&, const std::string& value, CommandLine& line)
{
    // KIND@CHIP:PORT[,PORT][=VALUE]
    const std::string usage = "--board: " + Quote(value) + " is not KIND@CHIP:PORT (KIND leds, traffic, stepper, dac "
                              "or adc; PORT A, B or C; the traffic light takes two ports, A,B; switches and the adc "
                              "may add =VALUE)";
    const std::size_t at = value.find('@');
    const std::size_t colon = value.rfind(':');
    if (at == std::string::npos || colon == std::string::npos || colon < at)
        return usage;
    const BoardKindInfo* kind = FindBoardKind(value.substr(0, at));
    if (!kind)
        return usage;
    KitBoardOption board;
    board.Kind = kind->Kind;
    board.Chip = value.substr(at + 1, colon - at - 1);
    std::string ports = Upper(value.substr(colon + 1));
    const std::size_t equals = ports.find('=');
    if (equals != std::string::npos) {
        const std::optional<std::uint32_t> input = ParseHexNumber(ports.substr(equals + 1), _MaxByte);
        if (!input || !kind->Drives)
            return usage;
        board.Input = static_cast<std::uint8_t>(*input);
        ports.resize(equals);
    }
    auto portOf = [](char c) { return c >= 'A' && c <= 'C' ? c - 'A' : -1; };
    if (ports.size() == 1 && portOf(ports[0]) >= 0) {
        board.Port = portOf(ports[0]);
    } else if (ports.size() == 3 && ports[1] == ',' && portOf(ports[0]) >= 0 && portOf(ports[2]) >= 0 &&
               board.Kind == BoardKind::TrafficLight) {
        board.Port = portOf(ports[0]);
        board.SecondPort = portOf(ports[2]);
    } else {
        return usage;
    }
    line.Options.Machine.Boards.push_back(board);
    return "";
}

std::string ApplyProbe(const std::string&, const std::string& value, CommandLine& line)
{
    const std::size_t colon = value.rfind(':');
    const std::optional<std::uint64_t> output =
        colon == std::string::npos ? std::nullopt : ParseDecimalCount(value.substr(colon + 1));
    if (!output || *output > 7 || colon == 0)
        return "--probe: " + Quote(value) + " is not CHIP:N (a chip of the kit and its output, 8253:0)";
    line.Options.Machine.Probes.push_back({value.substr(0, colon), static_cast<int>(*output)});
    return "";
}

std::string ApplyHelp(const std::string&, const std::string&, CommandLine& line)
{
    line.Action = CommandLineAction::ShowHelp;
    return "";
}

std::string ApplyVersion(const std::string&, const std::string&, CommandLine& line)
{
    line.Action = CommandLineAction::ShowVersion;
    return "";
}

// One row per option, in the order --help lists them. To add an option, add
// its field to RunOptions, a handler above and a row here: the parser, the
// errors for a missing or unwanted value and --help all follow the row.
struct OptionRow {
    std::string_view Name;     // "--cpu"
    std::string_view Argument; // what --help calls its value; empty: the option takes none
    std::string_view Help;     // one line or more, each ending in a line feed
    std::string (*Apply)(const std::string& name, const std::string& value, CommandLine& line);
};

constexpr OptionRow _Options[] = {
    {"--cpu", "8085|8080", "processor model (default 8085)\n", ApplyCpu},
    {"--load", "FILE@ADDR", "copy a raw binary file into memory at ADDR (repeatable)\n", ApplyLoad},
    {"--pc", "ADDR", "start with this program counter\n", ApplyPc},
    {"--sp", "ADDR", "start with this stack pointer\n", ApplySp},
    {"--interrupt", "STEP:SOURCE",
     "raise TRAP, RST5.5, RST6.5, RST7.5 or INTR:n before\ninstruction STEP (repeatable)\n", ApplyInterrupt},
    {"--console-port", "N", "OUT N writes to standard output, IN N reads standard input\n", ApplyConsolePort},
    {"--input", "P=V", "IN P reads V (repeatable; other ports read 0)\n", ApplyInput},
    {"--cpm", "", "CP/M console calls at 0005H; reaching 0000H ends the run;\nthe report goes to standard error\n",
     ApplyCpm},
    {"--max-steps", "N", "stop after N instructions (default 1000000000; 0: no limit)\n", ApplyMaxSteps},
    {"--map", "FILE",
     "where the program is (the map file Go8085 writes): messages name\nsource lines, a jump to where the program "
     "placed nothing ends\nthe run, a store into its own code is warned of\n",
     ApplyMap},
    {"--dump", "FROM-TO", "add a memory dump to the report (repeatable)\n", ApplyDump},
    {"--out", "FILE", "write the final state as an image\n", ApplyOut},
    {"--trace", "FILE|-", "one line per instruction to FILE or standard output\n", ApplyTrace},
    {"--debug", "", "stop before the first instruction and read debugger\ncommands (step, break, reverse-step, ...; 'help' lists them)\n",
     ApplyDebug},
    {"--history-size", "MIB", "the debugger's history memory (default 64)\n", ApplyHistorySize},
    {"--kit", "NAME", "run as on a trainer kit: sdk85, dyna85 or als85 (its chips,\nmonitor routines, display and keypad)\n",
     ApplyKit},
    {"--keys", "LIST", "kit keys, pressed in turn as the program waits for one;\nKEY@STEP presses it before instruction STEP (repeatable)\n",
     ApplyKeys},
    {"--keys-file", "FILE", "kit keys as --keys gives them, read from FILE\n", ApplyKeysFile},
    {"--board", "KIND@CHIP:PORT", "attach a board to a kit's port: leds, traffic, stepper,\ndac or adc (dac@8255:A; adc@8255:B=80)\n",
     ApplyBoard},
    {"--probe", "CHIP:N", "print each change of a kit chip's output N (8253:0)\n", ApplyProbe},
    {"--help", "", "show this text and exit\n", ApplyHelp},
    {"--version", "", "show the version and exit\n", ApplyVersion},
};

// The column where --help starts each option's text.
constexpr std::size_t _HelpColumn = 27;

const OptionRow* FindOption(std::string_view name)
{
    for (const OptionRow& option : _Options) {
        if (option.Name == name)
            return &option;
    }
    return nullptr;
}

// Rules that involve more than one option.
std::string CheckCombination(const RunOptions& options)
{
    if (options.ImageFile.empty() && options.Loads.empty())
        return "no IMAGE and no --load: nothing to run";
    if (options.Debug) {
        // The debugger shows the machine as it goes; it writes no files.
        const char* ignored = !options.TraceFile.empty() ? "--trace"
                              : !options.OutFile.empty() ? "--out"
                              : !options.Dumps.empty()   ? "--dump"
                                                         : nullptr;
        if (ignored)
            return std::string(ignored) +
                   " cannot be used with --debug: the debugger writes no trace, image or dump (x ADDR shows memory)";
    }
    if (options.Machine.Cpm && options.TraceFile == "-")
        return "--trace - cannot be used with --cpm: standard output carries only what the program prints";
    for (const InterruptEvent& event : options.Machine.Interrupts) {
        if (options.Machine.Model == CpuModel::I8080 && DescribeInterruptSource(event.Source).Only8085)
            return "--interrupt: the 8080 has no TRAP or RST 5.5, 6.5 and 7.5 inputs, only INTR";
    }
    const MachineOptions& machine = options.Machine;
    if (machine.Kit.empty() && (!machine.Keys.empty() || !options.KeysFile.empty() || !machine.Boards.empty() ||
                                !machine.Probes.empty()))
        return "--keys, --keys-file, --board and --probe need --kit";
    if (!machine.Kit.empty() && machine.Cpm)
        return "--kit cannot be used with --cpm: a kit's monitor is not CP/M";
    if (!machine.Kit.empty() && options.Debug)
        return "--kit cannot be used with --debug yet";
    for (const PortInput& input : options.Machine.Inputs) {
        if (input.Port == options.Machine.ConsolePort)
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

bool ParseKitKeys(const std::string& text, std::vector<KitKeyPress>& keys, std::string& error)
{
    std::size_t at = 0;
    while (at < text.size()) {
        if (std::isspace(static_cast<unsigned char>(text[at])) || text[at] == ',') {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end])) && text[end] != ',')
            ++end;
        const std::string word = text.substr(at, end - at);
        at = end;
        KitKeyPress key;
        const std::size_t step = word.find('@');
        key.Name = Upper(word.substr(0, step));
        if (step != std::string::npos) {
            const std::optional<std::uint64_t> count = ParseDecimalCount(word.substr(step + 1));
            if (!count || *count == 0 || key.Name.empty()) {
                error = Quote(word) + " is not KEY or KEY@STEP (STEP a decimal count from 1)";
                return false;
            }
            key.Step = *count;
        }
        keys.push_back(key);
    }
    return true;
}

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
        const OptionRow* option = FindOption(name);
        if (!option)
            return Fail("unknown option " + Quote(name));
        const bool takesValue = !option->Argument.empty();
        std::string value;
        if (!takesValue) {
            if (equals != std::string::npos)
                return Fail("option " + name + " takes no value");
        } else if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        }
        if (takesValue && value.empty())
            return Fail("option " + name + " needs a value");
        std::string error = option->Apply(name, value, result);
        if (!error.empty())
            return Fail(std::move(error));
        if (result.Action != CommandLineAction::Run)
            return result; // --help or --version: nothing else matters
    }
    std::string error = CheckCombination(options);
    if (!error.empty())
        return Fail(std::move(error));
    std::stable_sort(options.Machine.Interrupts.begin(), options.Machine.Interrupts.end(),
                     [](const InterruptEvent& a, const InterruptEvent& b) { return a.Step < b.Step; });
    return result;
}

std::string UsageText()
{
    std::string text = "Usage: Run8085 [options] [IMAGE]\n"
                       "Runs an 8085 (or 8080) program from a 65,560-byte image and reports its final state.\n"
                       "\n"
                       "Addresses, ports and bytes are hexadecimal (2000, 2000H, 0x2000); counts are decimal.\n";
    for (const OptionRow& option : _Options) {
        std::string left = "  " + std::string(option.Name);
        if (!option.Argument.empty())
            left += " " + std::string(option.Argument);
        left += "  ";
        // A long name and value get a line of their own.
        if (left.size() > _HelpColumn)
            text += left + "\n";
        else
            text += left + std::string(_HelpColumn - left.size(), ' ');
        std::string_view help = option.Help;
        bool first = left.size() <= _HelpColumn;
        while (!help.empty()) {
            const std::size_t end = help.find('\n');
            if (!first)
                text += std::string(_HelpColumn, ' ');
            text += std::string(help.substr(0, end)) + "\n";
            help.remove_prefix(end == std::string_view::npos ? help.size() : end + 1);
            first = false;
        }
    }
    text += "\nExit status: 0 halted, left through 0000H under --cpm, or (with --map) jumped to where\n"
            "the program placed nothing; 2 step limit reached; 1 unusable input or options.\n";
    return text;
}
