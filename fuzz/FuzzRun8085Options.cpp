// Fuzz target: Run8085's command line. The input is the arguments, each
// ended by a zero byte. Whatever they are, parsing gives a usable run, the
// help, the version, or a failure that says what is wrong; a usable run has
// something to run, dumps that end where they begin or later, interrupt
// events in the order of their steps, and no combination the usage forbids.

#include "FuzzInput.h"
#include "Options.h"

#include <algorithm>

namespace {

void CheckRun(const RunOptions& options)
{
    Check(!options.ImageFile.empty() || !options.Loads.empty());
    for (const LoadRequest& load : options.Loads)
        Check(!load.File.empty());
    for (const DumpRange& dump : options.Dumps)
        Check(dump.From <= dump.To);
    Check(std::is_sorted(options.Machine.Interrupts.begin(), options.Machine.Interrupts.end(),
                         [](const InterruptEvent& a, const InterruptEvent& b) { return a.Step < b.Step; }));
    for (const InterruptEvent& event : options.Machine.Interrupts) {
        Check(event.Step >= 1 && event.RstNumber <= 7);
        Check(options.Machine.Model == CpuModel::I8085 || event.Source == InterruptSource::Intr);
    }
    Check(options.Machine.ConsolePort >= -1 && options.Machine.ConsolePort <= 0xFF);
    for (const PortInput& input : options.Machine.Inputs)
        Check(input.Port != options.Machine.ConsolePort);
    Check(!(options.Machine.Cpm && options.TraceFile == "-"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string> arguments = AsArguments(data, size);
    const CommandLine line = ParseCommandLine(arguments);
    Check((line.Action == CommandLineAction::Fail) == !line.Error.empty());
    if (line.Action == CommandLineAction::Run)
        CheckRun(line.Options);
    for (const std::string& argument : arguments) {
        for (const std::uint32_t max : {0xFFu, 0xFFFFu}) {
            const std::optional<std::uint32_t> value = ParseHexNumber(argument, max);
            Check(!value || *value <= max);
        }
    }
    return 0;
}
