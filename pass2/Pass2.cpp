// Pass2: the second pass of the two-pass assembler.
//
//   Pass2 <filename>
//
// Reads the listing <filename>.pass1 and the symbol file <filename>.sym that
// Corvane wrote, and the opcode table "etc/opcodes.txt", and writes the
// machine code <filename>.hex that Tessily loads. Errors and warnings go to
// standard error; the exit status is 0, 1 after an error, 2 for a bad
// command line.

#include "Messages.h"
#include "Pass2Files.h"
#include "TemporaryFiles.h"

#include <cstdio>
#include <string_view>
#include <unistd.h>

constexpr const char* _Usage = "Usage: Pass2 <filename>\n"
                               "       Pass2 --help | --version\n"
                               "Reads the listing <filename>.pass1 and the symbol file <filename>.sym that\n"
                               "Corvane wrote for <filename>, and the opcode table etc/opcodes.txt, and\n"
                               "writes the machine code <filename>.hex.\n";

constexpr const char* _Version = "Pass2 (8080/8085 toolchain) 1.0\n";

constexpr int _ExitUsage = 2;

// Reports a bad command line with the usage, and gives the exit status.
static int RejectCommandLine(std::string_view problem)
{
    if (!problem.empty()) {
        std::fprintf(stderr, "Pass2: %.*s\n", static_cast<int>(problem.size()), problem.data());
    }
    std::fputs(_Usage, stderr);
    return _ExitUsage;
}

int main(int argc, char* argv[])
{
    int first = 1;
    if (argc > 1 && std::string_view(argv[1]) == "--help") {
        std::fputs(_Usage, stdout);
        return 0;
    }
    if (argc > 1 && std::string_view(argv[1]) == "--version") {
        std::fputs(_Version, stdout);
        return 0;
    }
    if (argc > 1 && std::string_view(argv[1]) == "--") {
        first = 2;
    } else if (argc > 1 && argv[1][0] == '-') {
        return RejectCommandLine(std::string("unknown option ") + argv[1]);
    }
    if (argc <= first) {
        return RejectCommandLine({});
    }
    if (argc > first + 1) {
        return RejectCommandLine("one filename only");
    }
    if (argv[first][0] == '\0') {
        return RejectCommandLine("empty filename");
    }

    RemoveTemporaryFilesOnSignals();
    Messages messages;
    messages.Fd = STDERR_FILENO;
    const int status = RunPass2OnFiles(argv[first], messages);
    FlushMessages(messages);
    return status;
}
