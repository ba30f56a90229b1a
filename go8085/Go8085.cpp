// Go8085: from an assembly source to a finished run in one command.
//
//   Go8085 [own options] [--] SOURCE [REGISTERS] [Run8085 options...]
//
// Runs Corvane on a copy of SOURCE and reports every problem its run log
// records, then Pass2, Tessily (with REGISTERS or the default start) and
// Run8085, whose report it prints. Exit status: Run8085's when the chain
// gets there, 1 when a step fails, 2 for a usage error.

#include "Chain.h"
#include "CommandLine.h"
#include "Toolchain.h"

#include <cstdio>

constexpr const char* _VersionText = "Go8085 (8080/8085 toolchain) 1.0\n";

int main(int argc, char* argv[])
{
    const CommandLine line = ParseCommandLine({argv + 1, argv + argc});
    if (line.Help) {
        std::fputs(_UsageText, stdout);
        return 0;
    }
    if (line.Version) {
        std::fputs(_VersionText, stdout);
        return 0;
    }
    if (!line.Error.empty()) {
        std::fprintf(stderr, "Go8085: %s\n%s", line.Error.c_str(), _UsageText);
        return 2;
    }
    Toolchain tools;
    std::string error;
    if (!FindToolchain(FindOwnDirectory(argv[0]), tools, error)) {
        std::fprintf(stderr, "Go8085: error: %s\n", error.c_str());
        return 1;
    }
    return RunChain(line, tools);
}
