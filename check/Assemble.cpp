#include "Assemble.h"

#include "DefaultRegisters.h"
#include "Files.h"
#include "PassOneLog.h"
#include "Process.h"
#include "SourceCopy.h"
#include "SourceMessages.h"
#include "WholeFile.h"

#include <algorithm>
#include <sys/stat.h>

namespace {

// Every submission is the same file name in its own directory, whatever it
// is called: no name can look like an option or hold odd characters there.
constexpr const char* _Source = "prog.asm";

// The most read of pass 1's run log (some 20 to 40 bytes for each byte of source).
constexpr std::size_t _RunLogLimit = std::size_t{64} << 20;

std::string Failure(const std::string& program, const ProgramRun& run)
{
    if (!run.Started)
        return "cannot run " + program + ": " + run.Error;
    if (run.Signal != 0)
        return program + " was ended by signal " + std::to_string(run.Signal);
    if (run.ExitStatus != 0)
        return program + " failed with exit status " + std::to_string(run.ExitStatus);
    return {};
}

// The first line of text that reports an error, else its first line.
std::string FirstErrorLine(const std::string& text)
{
    std::size_t start = 0;
    std::string first;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        if (first.empty())
            first = line;
        if (line.find("error:") != std::string::npos)
            return line;
        start = end + 1;
    }
    return first;
}

Assembly Assemble(const Toolchain& tools, const std::string& tableText, const std::string& name,
                  const std::string& sourceText, const std::string& scratch)
{
    Assembly result;
    auto fail = [&](const std::string& why) {
        result.FirstError = why;
        return result;
    };
    const std::string etc = scratch + "/etc";
    std::string error;
    if (::mkdir(scratch.c_str(), 0700) != 0 || ::mkdir(etc.c_str(), 0700) != 0 ||
        !WriteWholeFile(etc + "/opcodes.txt", tableText, error) ||
        !WriteWholeFile(scratch + "/" + _Source, MakeSourceCopy(sourceText).Text, error))
        return fail("cannot prepare the scratch directory " + scratch + (error.empty() ? "" : ": " + error));

    const ProgramRun pass1 = RunAndCollect(tools.Corvane, {_Source}, scratch);
    std::string why = Failure("Corvane", pass1);
    if (!why.empty() || !pass1.Stdout.empty() || !pass1.Stderr.empty())
        return fail(why.empty() ? "Corvane: " + FirstErrorLine(pass1.Stdout + pass1.Stderr) : why);
    std::string log, listing, symbols;
    bool longer = false;
    if (!ReadFileUpTo(etc + "/log-Pass1.txt", _RunLogLimit, log, longer, error) || longer ||
        !ReadWholeFile(scratch + "/" + _Source + ".pass1", listing, error) ||
        !ReadWholeFile(scratch + "/" + _Source + ".sym", symbols, error))
        return fail("cannot read pass 1's files" + (longer ? std::string(": the run log is too long") : ": " + error));
    result.Program.Map = BuildSourceMap(name, sourceText, log, listing, symbols);

    std::vector<Problem> problems = ReadPassOneLog(log);
    std::stable_sort(problems.begin(), problems.end(), [](const Problem& a, const Problem& b) { return a.Line < b.Line; });
    for (const Problem& problem : problems)
        if (problem.Kind == Severity::Error)
            return fail(FormatProblem(problem, name, "etc/opcodes.txt"));

    const ProgramRun pass2 = RunAndCollect(tools.Pass2, {"--", _Source}, scratch);
    why = Failure("Pass2", pass2);
    if (!why.empty()) {
        const std::string placed = PlaceMessagesOnSource(pass2.Stdout + pass2.Stderr, result.Program.Map,
                                                         std::string(_Source) + ".pass1", listing);
        const std::string first = FirstErrorLine(placed);
        return fail(first.empty() ? why : first);
    }

    const std::uint16_t start = FirstListingAddress(listing).value_or(0x2000);
    const std::string registers = scratch + "/default.regs";
    const std::string image = scratch + "/" + _Source + ".img";
    if (!WriteWholeFile(registers, MakeDefaultRegisterFile(start), error))
        return fail("cannot write " + registers + ": " + error);
    const ProgramRun build = RunAndCollect(tools.Tessily, {registers, scratch + "/" + _Source + ".hex", image}, scratch);
    why = Failure("Tessily", build);
    if (!why.empty() || !build.Stdout.empty() || !build.Stderr.empty())
        return fail(why.empty() ? "Tessily: " + FirstErrorLine(build.Stdout + build.Stderr) : why);
    if (!ReadWholeFile(image, result.Program.Image, error))
        return fail("cannot read the image: " + error);
    result.Assembled = true;
    return result;
}

} // namespace

Assembly AssembleSubmission(const Toolchain& tools, const std::string& tableText, const std::string& name,
                            const std::string& sourceText, const std::string& scratch)
{
    Assembly result = Assemble(tools, tableText, name, sourceText, scratch);
    RemoveDirectoryTree(scratch);
    return result;
}
