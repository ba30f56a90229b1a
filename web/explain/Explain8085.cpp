// Explain8085: what Go8085 says about a run of the chain, for the page,
// which runs the programs one by one and cannot run Go8085 itself. Every
// answer comes from Go8085's own code and goes to standard output:
//
//   Explain8085 copy SOURCE              the copy of SOURCE that pass 1 reads
//   Explain8085 pass1 NAME SOURCE        pass 1's problem report
//   Explain8085 pass2 NAME SOURCE OUTPUT Pass2's OUTPUT with its messages on
//                                        the source lines
//   Explain8085 map NAME SOURCE          the source map
//
// SOURCE is the program as the user wrote it, NAME the name pass 1 read its
// copy under: the run log etc/log-Pass1.txt, the listing NAME.pass1 and the
// symbol file NAME.sym are read from the working directory.
#include "PassOneLog.h"
#include "SourceCopy.h"
#include "SourceMap.h"
#include "SourceMessages.h"
#include "WholeFile.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* _Usage = "Usage: Explain8085 copy SOURCE\n"
                               "       Explain8085 pass1|map NAME SOURCE\n"
                               "       Explain8085 pass2 NAME SOURCE OUTPUT\n"
                               "Says what Go8085 says about a run of the chain whose files lie in the working\n"
                               "directory (NAME.pass1, NAME.sym, etc/log-Pass1.txt); everything goes to standard\n"
                               "output. Exit status: 0 done, 1 a file cannot be read, 2 usage.\n";
constexpr const char* _VersionText = "Explain8085 (8080/8085 toolchain) 1.0\n";

struct RunFiles {
    std::string Source;
    std::string Log;
    std::string Listing;
    std::string Symbols;
};

bool Read(const std::string& path, std::string& text)
{
    std::string error;
    if (!ReadWholeFile(path, text, error)) {
        std::fprintf(stderr, "Explain8085: error: cannot read %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    return true;
}

bool ReadRunFiles(const std::string& name, const std::string& sourcePath, RunFiles& files)
{
    return Read(sourcePath, files.Source) && Read("etc/log-Pass1.txt", files.Log) &&
           Read(name + ".pass1", files.Listing) && Read(name + ".sym", files.Symbols);
}

void Print(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}

// The report Go8085 gives after pass 1: the note on CR LF line ends, then
// every problem of the run log and of the copy, by source line.
std::string ReportPassOne(const std::string& name, const RunFiles& files)
{
    const SourceCopy copy = MakeSourceCopy(files.Source);
    std::string report;
    if (copy.HadCrLf) {
        report += name + ": note: the source has CR LF line ends; pass 1 reads a copy with LF line ends\n";
    }
    std::vector<Problem> problems = ReadPassOneLog(files.Log);
    problems.insert(problems.end(), copy.Notes.begin(), copy.Notes.end());
    std::stable_sort(problems.begin(), problems.end(),
                     [](const Problem& a, const Problem& b) { return a.Line < b.Line; });
    for (const Problem& problem : problems) {
        report += FormatProblem(problem, name, "etc/opcodes.txt") + "\n";
    }
    return report;
}

SourceMap MapRun(const std::string& name, const RunFiles& files)
{
    return BuildSourceMap(name, files.Source, files.Log, files.Listing, files.Symbols);
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--help") {
        Print(_Usage);
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        Print(_VersionText);
        return 0;
    }
    const std::string mode = args.empty() ? "" : args[0];
    const std::size_t wanted = mode == "copy" ? 2 : mode == "pass2" ? 4 : mode == "pass1" || mode == "map" ? 3 : 0;
    if (wanted == 0 || args.size() != wanted) {
        std::fprintf(stderr, "%s", _Usage);
        return 2;
    }
    if (mode == "copy") {
        std::string source;
        if (!Read(args[1], source)) {
            return 1;
        }
        Print(MakeSourceCopy(source).Text);
        return 0;
    }
    RunFiles files;
    if (!ReadRunFiles(args[1], args[2], files)) {
        return 1;
    }
    if (mode == "pass1") {
        Print(ReportPassOne(args[1], files));
    } else if (mode == "map") {
        Print(FormatMapFile(MapRun(args[1], files)));
    } else {
        std::string output;
        if (!Read(args[3], output)) {
            return 1;
        }
        Print(PlaceMessagesOnSource(output, MapRun(args[1], files), args[1] + ".pass1", files.Listing,
                                    MakeSourceCopy(files.Source).Text));
    }
    return 0;
}
