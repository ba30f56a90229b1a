// Check8085: a teacher's cases run over a folder of submissions, or over one
// student's program.
//
//   Check8085 [options] CHECKFILE FOLDER|PROGRAM.asm
//
// Prints the table of who passed and why not on standard output, and writes
// it as CSV, as the autograder results.json and as one HTML page when asked.
// Exit status: 0 every submission got every point, 1 some did not, 2 the
// check could not be run (usage, the check file, the folder).

#include "CheckFile.h"
#include "CheckRun.h"
#include "Files.h"
#include "Process.h"
#include "Results.h"
#include "Similarity.h"
#include "Submissions.h"
#include "Toolchain.h"
#include "WholeFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {

constexpr const char* _VersionText = "Check8085 (8080/8085 toolchain) 1.0\n";

struct Options {
    std::string CheckFile;
    std::string Path;
    std::string Csv, Json, Html;
    unsigned Jobs = 0; // 0: one per core
    int SimilarPercent = 90;
    int View = 0; // -1 teacher, 1 student, 0 by what is checked
    bool Help = false, Version = false;
    std::string Error;
};

// One row per option: its name, whether it takes a value, and what it does.
struct OptionRow {
    const char* Name;
    const char* Value; // nullptr: takes none
    const char* Help;
    void (*Apply)(Options&, const std::string&);
};

unsigned ParseCount(const std::string& text, unsigned max, bool& ok)
{
    char* end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(text.c_str(), &end, 10);
    ok = !text.empty() && text[0] != '-' && *end == '\0' && errno == 0 && value <= max;
    return static_cast<unsigned>(value);
}

constexpr OptionRow _Options[] = {
    {"--csv", "FILE", "write the table as CSV, for a gradebook",
     [](Options& o, const std::string& v) { o.Csv = v; }},
    {"--json", "FILE", "write the results in the autograder results.json form",
     [](Options& o, const std::string& v) { o.Json = v; }},
    {"--html", "FILE", "write one self-contained HTML report",
     [](Options& o, const std::string& v) { o.Html = v; }},
    {"--jobs", "N", "check N submissions at once (default: one per core)",
     [](Options& o, const std::string& v) {
         bool ok = false;
         o.Jobs = ParseCount(v, 1024, ok);
         if (!ok || o.Jobs == 0)
             o.Error = "--jobs takes a count from 1 to 1024, not " + v;
     }},
    {"--similar", "PERCENT", "list pairs at least this similar (default 90; 0: no list)",
     [](Options& o, const std::string& v) {
         bool ok = false;
         o.SimilarPercent = static_cast<int>(ParseCount(v, 100, ok));
         if (!ok)
             o.Error = "--similar takes a percentage from 0 to 100, not " + v;
     }},
    {"--student", nullptr, "show hidden cases as pass or fail only (the default for one program)",
     [](Options& o, const std::string&) { o.View = 1; }},
    {"--teacher", nullptr, "show every case in detail (the default for a folder)",
     [](Options& o, const std::string&) { o.View = -1; }},
    {"--help", nullptr, "show this help", [](Options& o, const std::string&) { o.Help = true; }},
    {"--version", nullptr, "show the version", [](Options& o, const std::string&) { o.Version = true; }},
};

std::string UsageText()
{
    std::string text = "Usage: Check8085 [options] CHECKFILE FOLDER|PROGRAM.asm\n"
                       "Runs the cases of CHECKFILE on every submission in FOLDER, or on one program.\n\nOptions:\n";
    for (const OptionRow& row : _Options) {
        std::string name = std::string(row.Name) + (row.Value ? std::string(" ") + row.Value : "");
        text += "  " + name + std::string(name.size() < 16 ? 16 - name.size() : 1, ' ') + row.Help + "\n";
    }
    return text;
}

Options ParseOptions(const std::vector<std::string>& args)
{
    Options options;
    std::vector<std::string> operands;
    bool onlyOperands = false;
    for (std::size_t i = 0; i < args.size() && options.Error.empty(); ++i) {
        const std::string& arg = args[i];
        if (onlyOperands || arg.size() < 2 || arg[0] != '-') {
            operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyOperands = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const OptionRow* found = nullptr;
        for (const OptionRow& row : _Options)
            if (name == row.Name)
                found = &row;
        if (!found) {
            options.Error = "unknown option " + arg;
            break;
        }
        std::string value;
        if (found->Value) {
            if (equals != std::string::npos)
                value = arg.substr(equals + 1);
            else if (i + 1 < args.size())
                value = args[++i];
            else
                options.Error = name + " needs " + found->Value;
        } else if (equals != std::string::npos) {
            options.Error = name + " takes no value";
        }
        if (options.Error.empty())
            found->Apply(options, value);
    }
    if (options.Error.empty() && !options.Help && !options.Version) {
        if (operands.size() != 2)
            options.Error = operands.size() < 2 ? "a check file and a folder or program are needed"
                                                : "one check file and one folder or program, not " +
                                                      std::to_string(operands.size()) + " names";
        else
            options.CheckFile = operands[0], options.Path = operands[1];
    }
    return options;
}

void SayError(const std::string& text)
{
    std::fprintf(stderr, "Check8085: error: %s\n", text.c_str());
}

// A private directory for the scratch folders of this run.
std::string MakeScratch(std::string& error)
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/check8085-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        error = pattern + ": " + std::strerror(errno);
        return {};
    }
    return pattern;
}

bool WriteOutput(const std::string& path, const std::string& text)
{
    std::string error;
    if (path.empty() || WriteWholeFile(path, text, error))
        return true;
    SayError("cannot write " + path + ": " + error);
    return false;
}

int RealMain(const Options& options, const char* argv0)
{
    Toolchain tools;
    std::string error;
    if (!FindToolchain(FindOwnDirectory(argv0), tools, error)) {
        SayError(error);
        return 2;
    }
    std::string checkText;
    std::string problem;
    if (!ReadSubmissionFile(options.CheckFile, _MaxSubmissionBytes, checkText, problem)) {
        SayError("cannot read " + options.CheckFile + ": " + problem);
        return 2;
    }
    std::vector<CheckFileError> errors;
    const CheckFile check = ReadCheckFile(checkText, errors);
    for (const CheckFileError& e : errors)
        std::fprintf(stderr, "%s:%d: error: %s\n", options.CheckFile.c_str(), e.Line, e.Text.c_str());
    if (!errors.empty())
        return 2;

    struct stat status {};
    if (::stat(options.Path.c_str(), &status) != 0) {
        SayError("cannot read " + options.Path + ": " + std::strerror(errno));
        return 2;
    }
    const bool folder = S_ISDIR(status.st_mode);
    int ignored = 0;
    const std::vector<Submission> submissions = ListSubmissions(options.Path, folder, ignored);
    if (submissions.empty()) {
        SayError(options.Path + " holds no .asm file and no folder");
        return 2;
    }
    if (ignored > 0)
        std::fprintf(stderr, "Check8085: note: %d %s in %s not ending in .asm passed over\n", ignored,
                     ignored == 1 ? "file" : "files", options.Path.c_str());

    CheckSetup setup;
    setup.Check = &check;
    setup.Tools = tools;
    if (!ReadWholeFile(tools.OpcodeTable, setup.TableText, error)) {
        SayError("cannot read the opcode table " + tools.OpcodeTable + ": " + error);
        return 2;
    }
    setup.Jobs = options.Jobs ? options.Jobs : std::max(1u, std::thread::hardware_concurrency());
    NoteTerminationSignals();
    setup.Scratch = MakeScratch(error);
    if (setup.Scratch.empty()) {
        SayError("cannot make a temporary directory: " + error);
        return 2;
    }
    CheckReport report;
    report.CheckName = options.CheckFile;
    report.Check = &check;
    report.Folder = folder;
    report.StudentView = options.View == 0 ? !folder : options.View > 0;
    report.Submissions = CheckSubmissions(setup, submissions);
    RemoveDirectoryTree(setup.Scratch);
    if (NotedSignal() != 0) {
        std::fprintf(stderr, "Check8085: stopped by SIG%s; nothing written\n", sigabbrev_np(NotedSignal()));
        EndBySignal(NotedSignal());
    }
    if (folder && options.SimilarPercent > 0) {
        std::vector<std::vector<std::uint32_t>> shapes;
        for (const Submission& submission : submissions)
            shapes.push_back(ReadInstructionShapes(submission.Problem.empty() ? submission.Text : std::string()));
        report.Similar = FindSimilarGroups(shapes, options.SimilarPercent / 100.0);
    }
    const std::string table = FormatTable(report);
    std::fwrite(table.data(), 1, table.size(), stdout);
    std::fflush(stdout);
    HoldTerminationSignals();
    bool written = WriteOutput(options.Csv, FormatCsv(report));
    written = WriteOutput(options.Json, FormatJson(report)) && written;
    written = WriteOutput(options.Html, FormatHtml(report)) && written;
    ReleaseTerminationSignals();
    if (!written)
        return 2;
    for (const SubmissionResult& result : report.Submissions)
        if (result.Score != TotalPoints(check) || result.Status != SubmissionStatus::Checked)
            return 1;
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    const Options options = ParseOptions({argv + 1, argv + argc});
    if (options.Help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    if (options.Version) {
        std::fputs(_VersionText, stdout);
        return 0;
    }
    if (!options.Error.empty()) {
        std::fprintf(stderr, "Check8085: %s\n%s", options.Error.c_str(), UsageText().c_str());
        return 2;
    }
    return RealMain(options, argv[0]);
}
