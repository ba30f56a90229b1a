// Explain8085: what Go8085 says about a run of the chain, for the page,
// which runs the programs one by one and cannot run Go8085 itself. Every
// answer comes from Go8085's own code and goes to standard output:
//
//   Explain8085 copy SOURCE              the copy of SOURCE that pass 1 reads
//   Explain8085 pass1 NAME SOURCE        pass 1's problem report
//   Explain8085 pass2 NAME SOURCE OUTPUT Pass2's OUTPUT with its messages on
//                                        the source lines
//   Explain8085 map NAME SOURCE          the source map
//   Explain8085 records NAME SOURCE      the source map's records as JSON
//   Explain8085 registers NAME           the register data file of the
//                                        default start (from NAME.pass1, or
//                                        the label END names in NAME, NAME.sym)
//   Explain8085 intel-hex CODE           Pass2's machine code CODE as Intel HEX
//   Explain8085 binary CODE OUTPUT       ... as a raw binary, into OUTPUT
//
// SOURCE is the program as the user wrote it, NAME the name pass 1 read its
// copy under: the run log etc/log-Pass1.txt, the listing NAME.pass1 and the
// symbol file NAME.sym are read from the working directory.
#include "DefaultRegisters.h"
#include "KitFiles.h"
#include "PassOneLog.h"
#include "SourceCopy.h"
#include "SourceMap.h"
#include "SourceMessages.h"
#include "WholeFile.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* _Usage = "Usage: Explain8085 copy SOURCE\n"
                               "       Explain8085 pass1|map|records NAME SOURCE\n"
                               "       Explain8085 pass2 NAME SOURCE OUTPUT\n"
                               "       Explain8085 registers NAME\n"
                               "       Explain8085 intel-hex CODE\n"
                               "       Explain8085 binary CODE OUTPUT\n"
                               "Says what Go8085 says about a run of the chain whose files lie in the working\n"
                               "directory (NAME.pass1, NAME.sym, etc/log-Pass1.txt), or makes Go8085's kit files\n"
                               "from Pass2's machine code CODE; everything goes to standard output but the binary.\n"
                               "Exit status: 0 done, 1 a file cannot be read or written, 2 usage.\n";
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
    NoteEndStart(FindEndStart(copy.Text, files.Symbols),
                 FirstListingAddress(files.Listing).value_or(_StartWithoutListing), problems);
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

// The records of the map, one object each, for the page's listing:
// [{"listingLine":1,"sourceLine":8,"address":8192,"size":3,"code":true}, ...]
std::string FormatRecordsJson(const SourceMap& map)
{
    std::string json = "[";
    for (const MappedRecord& record : map.Records) {
        json += (json.size() > 1 ? ",\n" : "") + std::string("{\"listingLine\":") + std::to_string(record.ListingLine) +
                ",\"sourceLine\":" + std::to_string(record.SourceLine) +
                ",\"address\":" + std::to_string(record.Address) + ",\"size\":" + std::to_string(record.Size) +
                ",\"code\":" + (record.IsData ? "false" : "true") + "}";
    }
    return json + "]\n";
}

// The register data file Go8085 makes when it is given none: PC at the
// label END names, else at the listing's first address.
std::string MakeRegistersForListing(std::string_view listing, std::string_view source, std::string_view symbols)
{
    const EndStart named = FindEndStart(source, symbols);
    return MakeDefaultRegisterFile(named.Address.value_or(FirstListingAddress(listing).value_or(_StartWithoutListing)));
}

// Pass2's machine code as Intel HEX (binary false) or the raw binary of
// its placed range; 1 and a message when the code cannot be read.
int ExportMachineCode(const std::string& codePath, bool binary, const std::string& outputPath)
{
    std::string code;
    std::string error;
    if (!Read(codePath, code)) {
        return 1;
    }
    const auto placed = std::make_unique<PlacedBytes>();
    if (!ReadPlacedBytes(code, *placed, error)) {
        std::fprintf(stderr, "Explain8085: error: %s: %s\n", codePath.c_str(), error.c_str());
        return 1;
    }
    if (!binary) {
        Print(FormatIntelHex(*placed));
        return 0;
    }
    if (!WriteWholeFile(outputPath, FormatBinary(*placed, FindPlacedRange(*placed)), error)) {
        std::fprintf(stderr, "Explain8085: error: cannot write %s: %s\n", outputPath.c_str(), error.c_str());
        return 1;
    }
    return 0;
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
    // Each mode and how many arguments it takes, itself included.
    constexpr struct {
        std::string_view Mode;
        std::size_t Arguments;
    } modes[] = {{"copy", 2},    {"pass1", 3},     {"pass2", 4},     {"map", 3},
                 {"records", 3}, {"registers", 2}, {"intel-hex", 2}, {"binary", 3}};
    std::size_t wanted = 0;
    for (const auto& row : modes) {
        if (row.Mode == mode) {
            wanted = row.Arguments;
        }
    }
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
    if (mode == "registers") {
        std::string listing, source, symbols;
        if (!Read(args[1] + ".pass1", listing)) {
            return 1;
        }
        // The source copy and the symbols, when they lie beside it, for END label.
        std::string error;
        ReadWholeFile(args[1], source, error);
        ReadWholeFile(args[1] + ".sym", symbols, error);
        Print(MakeRegistersForListing(listing, source, symbols));
        return 0;
    }
    if (mode == "intel-hex" || mode == "binary") {
        return ExportMachineCode(args[1], mode == "binary", mode == "binary" ? args[2] : "");
    }
    RunFiles files;
    if (!ReadRunFiles(args[1], args[2], files)) {
        return 1;
    }
    if (mode == "pass1") {
        Print(ReportPassOne(args[1], files));
    } else if (mode == "map") {
        Print(FormatMapFile(MapRun(args[1], files)));
    } else if (mode == "records") {
        Print(FormatRecordsJson(MapRun(args[1], files)));
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
