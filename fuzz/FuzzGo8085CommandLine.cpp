// Fuzz target: Go8085's command line. The input is the arguments, each ended
// by a zero byte. Whatever they are, parsing either finds a source or says
// what is wrong, and places no argument twice: the source, the register data
// file and the simulator's options together are no more than the arguments.

#include "CommandLine.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string> arguments = AsArguments(data, size);
    const CommandLine line = ParseCommandLine(arguments);
    Check(!line.Error.empty() || !line.Source.empty());
    const std::size_t placed =
        (line.Source.empty() ? 0 : 1) + (line.RegisterFile.empty() ? 0 : 1) + line.SimulatorOptions.size();
    Check(placed <= arguments.size());
    return 0;
}
