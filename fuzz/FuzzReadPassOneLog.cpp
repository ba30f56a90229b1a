// Fuzz target: Go8085's reading of the run log of pass 1. The input is the
// log. Whatever it holds, every problem belongs to the opcode table (line 0)
// or to a source line, in the order of the source, says something, and is
// shown as one line, so that no log can forge or split a message.

#include "FuzzInput.h"
#include "PassOneLog.h"

#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view log(reinterpret_cast<const char*>(data), size);
    const std::vector<Problem> problems = ReadPassOneLog(log);
    int previousLine = 0;
    for (const Problem& problem : problems) {
        Check(problem.Line >= previousLine);
        previousLine = problem.Line;
        Check(!problem.Text.empty());
        const std::string shown = FormatProblem(problem, "prog.asm", "etc/opcodes.txt");
        Check(shown.find('\n') == std::string::npos);
    }
    const std::size_t counted = static_cast<std::size_t>(CountProblems(problems, Severity::Error)) +
                                static_cast<std::size_t>(CountProblems(problems, Severity::Warning)) +
                                static_cast<std::size_t>(CountProblems(problems, Severity::Note));
    Check(counted == problems.size());
    return 0;
}
