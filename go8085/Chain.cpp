#include "Chain.h"

#include "DefaultRegisters.h"
#include "Files.h"
#include "KitComment.h"
#include "KitFiles.h"
#include "PassOneLog.h"
#include "Process.h"
#include "SourceCopy.h"
#include "SourceMessages.h"
#include "SourceMap.h"
#include "WholeFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The most Go8085 reads of a source, an opcode table or a register data
// file; more is no program for a 64 KiB machine (it is /dev/zero, say).
constexpr std::size_t _InputLimit = 4u << 20;
constexpr std::string_view _InputLimitShown = "4 MiB";

// The most it reads of pass 1's run log, which traces every token of the
// source: some 20 to 40 bytes of log for each byte of source.
constexpr std::size_t _RunLogLimit = 256u << 20;
constexpr std::string_view _RunLogLimitShown = "256 MiB";

// The files a run leaves beside the source, in the order they are named:
// what each one is, and the suffix its name adds to the source's name. A
// file the run did not make is removed, so that all of them come from one
// run.
struct OutputRow {
    const char* Kind;
    const char* Suffix;
};

constexpr OutputRow _Outputs[] = {
    {"listing", ".pass1"},    {"symbols", ".sym"},   {"run log", ".log"}, {"source map", ".map"},
    {"machine code", ".hex"}, {"Intel HEX", ".ihx"}, {"binary", ".bin"},  {"image", ".img"},
};

// Everything one run knows; each step reads it and adds to it.
struct Run {
    CommandLine Line;
    Toolchain Tools;
    std::string SourceText;   // the source as read
    std::string TableText;    // the opcode table chosen
    std::string TableShown;   // how that table is named to the user
    std::string RegisterText; // the register data file given, as read
    std::string Base;         // the source's file name
    std::string Output;       // the directory that receives the files
    std::string Shown;        // how Output is named to the user: "" or "dir/"
    std::string Private;      // the private directory; empty until made
    SourceCopy Copy;          // what pass 1 reads
    bool PassOneStarted = false;
    std::string LogText;                        // pass 1's run log
    std::string Registers;                      // the register data file Tessily reads
    std::map<std::string, std::string> Made;    // suffix -> the file made in Private
    std::map<std::string, std::string> Details; // suffix -> what the user learns of it
    std::string Stop;                           // the last line when the chain stops early
    SourceMap Map;                              // listing records and addresses on source lines
};

void Say(std::string_view text)
{
    std::fprintf(stderr, "Go8085: %.*s\n", static_cast<int>(text.size()), text.data());
}

void SayError(std::string_view text)
{
    Say("error: " + std::string(text));
}

// Writes text to standard error line by line, each line passed through edit.
template <typename Edit>
void Relay(const std::string& text, Edit edit)
{
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = edit(text.substr(start, end - start));
        std::fprintf(stderr, "%s\n", line.c_str());
        start = end + 1;
    }
}

std::string InDirectory(const std::string& directory, const std::string& name)
{
    return (fs::path(directory) / name).string();
}

// A file name that no program takes for an option.
std::string NotAnOption(const std::string& name)
{
    return !name.empty() && name[0] == '-' ? "./" + name : name;
}

std::string MadeInPrivate(const Run& run, const std::string& suffix)
{
    return InDirectory(run.Private, run.Base + suffix);
}

// Runs one program of the chain in the private directory.
ProgramRun RunStep(const Run& run, const std::string& program, const std::vector<std::string>& args)
{
    if (run.Line.Verbose) {
        std::string command = fs::path(program).filename().string();
        for (const std::string& arg : args) {
            command += " " + arg;
        }
        Say("running " + command + " in " + run.Private);
    }
    return RunAndCollect(program, args, run.Private);
}

// Why a step failed: it could not start, a signal ended it, or it exited
// with a status other than 0. Empty when it did not fail.
std::string DescribeFailure(const std::string& name, const ProgramRun& run)
{
    if (!run.Started) {
        return "cannot run " + name + ": " + run.Error;
    }
    if (run.Signal != 0) {
        return name + " was ended by signal " + std::to_string(run.Signal);
    }
    if (run.ExitStatus != 0) {
        return name + " failed with exit status " + std::to_string(run.ExitStatus);
    }
    return {};
}

// Reads an input of at most limit bytes; says what is wrong when it cannot.
bool ReadInput(const std::string& path, std::size_t limit, std::string_view limitShown, std::string& bytes)
{
    bool longer = false;
    std::string error;
    if (!ReadFileUpTo(path, limit, bytes, longer, error)) {
        SayError("cannot read " + path + ": " + error);
        return false;
    }
    if (longer) {
        SayError("cannot read " + path + ": it is longer than " + std::string(limitShown) + " (" +
                 std::to_string(limit) + " bytes), the most Go8085 reads");
        return false;
    }
    return true;
}

// --- The steps, in the order they run ---------------------------------------

// The source, the opcode table (the one in the source's directory, if it has
// one, else the installed one) and the register data file, read whole before
// anything is written.
bool ReadInputs(Run& run)
{
    const fs::path source(run.Line.Source);
    const std::string directory = source.parent_path().string();
    run.Base = source.filename().string();
    run.Output = directory.empty() ? "." : directory;
    run.Shown = directory.empty() ? "" : (directory.back() == '/' ? directory : directory + "/");
    if (!ReadInput(run.Line.Source, _InputLimit, _InputLimitShown, run.SourceText)) {
        return false;
    }
    struct stat status {};
    const std::string ownTable = InDirectory(run.Output, "etc/opcodes.txt");
    const bool hasOwnTable = ::stat(ownTable.c_str(), &status) == 0 && S_ISREG(status.st_mode);
    run.TableShown = hasOwnTable ? run.Shown + "etc/opcodes.txt" : run.Tools.OpcodeTable;
    if (!ReadInput(hasOwnTable ? ownTable : run.Tools.OpcodeTable, _InputLimit, _InputLimitShown, run.TableText)) {
        return false;
    }
    return run.Line.RegisterFile.empty() ||
           ReadInput(run.Line.RegisterFile, _InputLimit, _InputLimitShown, run.RegisterText);
}

// Beside the source, or in the working directory when the source's directory
// cannot be written to.
bool ChooseOutputPlace(Run& run)
{
    if (!CanCreateFilesIn(run.Output)) {
        Say("note: cannot write beside " + run.Line.Source +
            " (its directory is not writable): the files go to the working directory");
        run.Output = ".";
        run.Shown = "";
    }
    return true;
}

// Go8085 never writes into, nor removes, the file it reads: a source that is
// a link to one of its own outputs stops the run before anything is done.
bool RefuseOutputsThatAreTheSource(Run& run)
{
    for (const OutputRow& row : _Outputs) {
        const std::string name = run.Base + row.Suffix;
        if (IsSameFile(InDirectory(run.Output, name), run.Line.Source)) {
            SayError(run.Shown + name + " is the source " + run.Line.Source +
                     " itself (a link); Go8085 would overwrite it: rename one of them");
            return false;
        }
    }
    return true;
}

// The private directory where everything is made: a copy of the opcode
// table in etc/, the copy of the source pass 1 reads, and the register data
// file. No other run can touch it. From here on a termination signal is
// noted, and the run ends in the one place that removes the directory.
bool MakePrivateDirectory(Run& run)
{
    NoteTerminationSignals();
    std::string error;
    run.Private = MakeTemporaryDirectory(error);
    if (run.Private.empty()) {
        SayError("cannot make a temporary directory: " + error);
        return false;
    }
    run.Copy = MakeSourceCopy(run.SourceText);
    run.Registers = InDirectory(run.Private, "given.regs");
    std::error_code failure;
    fs::create_directory(InDirectory(run.Private, "etc"), failure);
    if (failure || !WriteWholeFile(InDirectory(run.Private, "etc/opcodes.txt"), run.TableText, error) ||
        !WriteWholeFile(InDirectory(run.Private, run.Base), run.Copy.Text, error) ||
        (!run.Line.RegisterFile.empty() && !WriteWholeFile(run.Registers, run.RegisterText, error))) {
        SayError("cannot prepare the temporary directory " + run.Private + ": " +
                 (failure ? failure.message() : error));
        return false;
    }
    return true;
}

// Pass 1, on the copy of the source. It writes nothing on its standard
// streams unless it could not do its work.
bool RunPassOne(Run& run)
{
    run.PassOneStarted = true;
    const ProgramRun pass = RunStep(run, run.Tools.Corvane, {NotAnOption(run.Base)});
    const std::string failure = DescribeFailure("Corvane", pass);
    if (!failure.empty() || !pass.Stdout.empty() || !pass.Stderr.empty()) {
        Relay(pass.Stdout + pass.Stderr, [](const std::string& text) { return "Corvane: " + text; });
        run.Stop = "error: " + (failure.empty() ? "pass 1 could not do its work" : failure) + "; stopped";
        return false;
    }
    const std::string log = InDirectory(run.Private, "etc/log-Pass1.txt");
    bool longer = false;
    std::string error;
    if (!ReadFileUpTo(log, _RunLogLimit, run.LogText, longer, error) || longer) {
        run.Stop = "error: cannot read pass 1's run log: " +
                   (longer ? "it is longer than " + std::string(_RunLogLimitShown) : error) + "; stopped";
        return false;
    }
    run.Made[".pass1"] = MadeInPrivate(run, ".pass1");
    run.Made[".sym"] = MadeInPrivate(run, ".sym");
    run.Made[".log"] = log;
    return true;
}

// The map from listing records and addresses to source lines, for the
// messages below and for Run8085 (--map).
bool MapSource(Run& run)
{
    std::string listing;
    std::string symbols;
    std::string error;
    if (!ReadWholeFile(run.Made[".pass1"], listing, error) || !ReadWholeFile(run.Made[".sym"], symbols, error)) {
        run.Stop = "error: cannot read pass 1's files: " + error + "; stopped";
        return false;
    }
    run.Map = BuildSourceMap(run.Line.Source, run.SourceText, run.LogText, listing, symbols);
    if (!WriteWholeFile(MadeInPrivate(run, ".map"), FormatMapFile(run.Map), error)) {
        run.Stop = "error: cannot write the source map: " + error + "; stopped";
        return false;
    }
    run.Made[".map"] = MadeInPrivate(run, ".map");
    return true;
}

// Every problem pass 1's run log records, and every change the copy made,
// in source order. Errors stop the chain unless --keep-going is given.
bool ReportPassOne(Run& run)
{
    if (run.Copy.HadCrLf) {
        std::fprintf(stderr, "%s: note: the source has CR LF line ends; pass 1 reads a copy with LF line ends\n",
                     run.Line.Source.c_str());
    }
    std::vector<Problem> problems = ReadPassOneLog(run.LogText);
    problems.insert(problems.end(), run.Copy.Notes.begin(), run.Copy.Notes.end());
    std::string listing, symbols, error;
    if (ReadWholeFile(run.Made[".pass1"], listing, error) && ReadWholeFile(run.Made[".sym"], symbols, error)) {
        NoteEndStart(FindEndStart(run.Copy.Text, symbols),
                     FirstListingAddress(listing).value_or(_StartWithoutListing), problems);
    }
    std::stable_sort(problems.begin(), problems.end(),
                     [](const Problem& a, const Problem& b) { return a.Line < b.Line; });
    for (const Problem& problem : problems) {
        std::fprintf(stderr, "%s\n", FormatProblem(problem, run.Line.Source, run.TableShown).c_str());
    }
    const int errors = CountProblems(problems, Severity::Error);
    if (errors == 0) {
        return true;
    }
    const std::string count = std::to_string(errors) + (errors == 1 ? " error" : " errors");
    if (run.Line.KeepGoing) {
        Say(count + " in pass 1; going on (--keep-going)");
        return true;
    }
    run.Stop = count + " in pass 1; stopped before Pass2 (--keep-going goes on)";
    return false;
}

// Pass 2's messages, as the user reads them: they name the listing and the
// symbol file as they lie beside the source, and the opcode table chosen.
void RelayPassTwoMessages(const Run& run, const ProgramRun& pass)
{
    const std::string ownPrefix = run.Base + ".";
    std::string listing;
    std::string error;
    ReadWholeFile(run.Made.at(".pass1"), listing, error);
    const std::string output = PlaceMessagesOnSource(pass.Stdout + pass.Stderr, run.Map, run.Base + ".pass1", listing,
                                                     run.Copy.Text);
    Relay(output, [&](const std::string& text) {
        if (text.compare(0, ownPrefix.size(), ownPrefix) == 0) {
            return run.Shown + text;
        }
        if (text.compare(0, 15, "etc/opcodes.txt") == 0) {
            return run.TableShown + text.substr(15);
        }
        return text;
    });
}

bool RunPassTwo(Run& run)
{
    const ProgramRun pass = RunStep(run, run.Tools.Pass2, {"--", run.Base});
    RelayPassTwoMessages(run, pass);
    const std::string failure = DescribeFailure("Pass2", pass);
    if (!failure.empty()) {
        run.Stop = "error: " + failure + "; stopped before Tessily";
        return false;
    }
    run.Made[".hex"] = MadeInPrivate(run, ".hex");
    return true;
}

// The machine code as Intel HEX and as a raw binary, when asked for.
bool WriteKitFiles(Run& run)
{
    if (!run.Line.IntelHex && !run.Line.Binary) {
        return true;
    }
    std::string code;
    std::string error;
    auto placed = std::make_unique<PlacedBytes>();
    if (!ReadWholeFile(run.Made[".hex"], code, error) || !ReadPlacedBytes(code, *placed, error)) {
        run.Stop = "error: cannot read the machine code: " + error + "; stopped";
        return false;
    }
    if (run.Line.IntelHex) {
        if (!WriteWholeFile(MadeInPrivate(run, ".ihx"), FormatIntelHex(*placed), error)) {
            run.Stop = "error: cannot write the Intel HEX file: " + error + "; stopped";
            return false;
        }
        run.Made[".ihx"] = MadeInPrivate(run, ".ihx");
    }
    if (run.Line.Binary) {
        const PlacedRange range = FindPlacedRange(*placed);
        if (!WriteWholeFile(MadeInPrivate(run, ".bin"), FormatBinary(*placed, range), error)) {
            run.Stop = "error: cannot write the binary: " + error + "; stopped";
            return false;
        }
        run.Made[".bin"] = MadeInPrivate(run, ".bin");
        char detail[64];
        std::snprintf(detail, sizeof detail, " (%zu bytes to load at %04XH)", range.Size, range.First);
        run.Details[".bin"] = range.Size == 0 ? " (empty: the program places no byte)" : detail;
    }
    return true;
}

// The register data file: the one given, or the default start.
bool ChooseRegisters(Run& run)
{
    if (!run.Line.RegisterFile.empty()) {
        return true;
    }
    std::string error;
    std::string listing;
    std::string symbols;
    std::optional<std::uint16_t> first =
        ReadWholeFile(run.Made[".pass1"], listing, error) ? FirstListingAddress(listing) : std::nullopt;
    // END label names the start (said on its line with pass 1's report).
    if (ReadWholeFile(run.Made[".sym"], symbols, error)) {
        const EndStart named = FindEndStart(run.Copy.Text, symbols);
        first = named.Address ? named.Address : first;
    }
    if (!first) {
        Say("note: the listing has no record; the program counter starts at 2000H");
    }
    const std::string text = MakeDefaultRegisterFile(first.value_or(_StartWithoutListing));
    run.Registers = InDirectory(run.Private, "default.regs");
    if (!WriteWholeFile(run.Registers, text, error)) {
        run.Stop = "error: cannot write " + run.Registers + ": " + error + "; stopped";
        return false;
    }
    if (run.Line.Verbose) {
        char pc[8];
        std::snprintf(pc, sizeof pc, "%04X", first.value_or(_StartWithoutListing));
        Say(std::string("default register data file (PC ") + pc + "H, SP 0000H, all else 0):");
        std::fputs(text.c_str(), stderr);
    }
    return true;
}

// The image builder, on the register data file and pass 2's machine code;
// it writes nothing on its standard streams unless it failed.
bool BuildImage(Run& run)
{
    const ProgramRun build =
        RunStep(run, run.Tools.Tessily, {run.Registers, MadeInPrivate(run, ".hex"), MadeInPrivate(run, ".img")});
    const std::string failure = DescribeFailure("Tessily", build);
    if (!failure.empty() || !build.Stdout.empty() || !build.Stderr.empty()) {
        Relay(build.Stdout + build.Stderr, [](const std::string& text) { return "Tessily: " + text; });
        run.Stop =
            "error: " + (failure.empty() ? "the image could not be built" : failure) + "; stopped before Run8085";
        return false;
    }
    run.Made[".img"] = MadeInPrivate(run, ".img");
    return true;
}

// The chain: a flat list of steps. A step that returns false stops it; so
// does a termination signal.
using Step = bool (*)(Run&);

constexpr Step _Steps[] = {
    ReadInputs,                    // the source, the opcode table, the register data file
    ChooseOutputPlace,             // beside the source, or the working directory
    RefuseOutputsThatAreTheSource, // no output may be the source itself
    MakePrivateDirectory,          // from here on the one end cleans up
    RunPassOne,                    // Corvane on the copy of the source
    MapSource,                     // the source map
    ReportPassOne,                 // pass 1's problems on source lines
    RunPassTwo,                    // Pass2, its messages relayed
    WriteKitFiles,                 // Intel HEX and binary, when asked for
    ChooseRegisters,               // the register data file given, or the default start
    BuildImage,                    // Tessily
};

// --- The end of every run ---------------------------------------------------

// Moves the files of this run beside the source and removes those it did
// not make. After a failure the later files are removed too, so that the
// files there always come from one run. Returns the names written.
bool PlaceOutputs(const Run& run, std::vector<std::string>& written)
{
    bool placed = true;
    for (const OutputRow& row : _Outputs) {
        const std::string name = run.Base + row.Suffix;
        const std::string target = InDirectory(run.Output, name);
        const auto made = run.Made.find(row.Suffix);
        if (!placed || made == run.Made.end()) {
            RemoveRegularFile(target);
            continue;
        }
        std::string error;
        const PipeCopy piped = CopyIntoPipe(made->second, target, error);
        if (piped == PipeCopy::NoReader) {
            // Writing would wait for a reader while the signals that could
            // end the wait are held.
            SayError("cannot write the " + std::string(row.Kind) + ": " + run.Shown + name +
                     " is a pipe that no process reads");
            placed = false;
            continue;
        }
        if (piped == PipeCopy::Failed || (piped == PipeCopy::NotAPipe && !CopyWholeFile(made->second, target, error))) {
            SayError("cannot write the " + std::string(row.Kind) + ": " + error);
            RemoveRegularFile(target);
            placed = false;
            continue;
        }
        const auto detail = run.Details.find(row.Suffix);
        written.push_back(std::string(row.Kind) + " " + run.Shown + name +
                          (detail == run.Details.end() ? "" : detail->second));
    }
    return placed;
}

void SayWhatWasWritten(const std::vector<std::string>& written)
{
    std::string text;
    for (const std::string& item : written) {
        text += (text.empty() ? "" : ", ") + item;
    }
    if (!text.empty()) {
        Say(text);
    }
}

// Takes this process's place with Run8085 on the image beside the source.
int StartSimulator(const Run& run)
{
    // The source map lets Run8085 name source lines in its stop reasons and
    // tell a trainer-kit ending from a program that went astray.
    std::vector<std::string> args = {"--map", NotAnOption(run.Shown + run.Base + ".map")};
    args.insert(args.end(), run.Line.SimulatorOptions.begin(), run.Line.SimulatorOptions.end());
    // A source written for a kit names it at its top; --kit overrides that.
    const std::string kit = FindKitComment(run.SourceText);
    if (!kit.empty() && std::find(args.begin(), args.end(), "--kit") == args.end()) {
        args.push_back("--kit");
        args.push_back(kit);
    }
    args.push_back(NotAnOption(run.Shown + run.Base + ".img"));
    if (run.Line.Verbose) {
        std::string command = "Run8085";
        for (const std::string& arg : args) {
            command += " " + arg;
        }
        Say("running " + command);
    }
    SayError("cannot run " + run.Tools.Run8085 + ": " + ReplaceProcess(run.Tools.Run8085, args));
    return 1;
}

} // namespace

int RunChain(const CommandLine& line, const Toolchain& tools)
{
    Run run;
    run.Line = line;
    run.Tools = tools;
    bool finished = true;
    for (Step step : _Steps) {
        if (!step(run) || NotedSignal() != 0) {
            finished = false;
            break;
        }
    }
    // The one place where every run ends. The termination signals are held
    // while the files are moved into place, so that they move all or none.
    std::vector<std::string> written;
    HoldTerminationSignals();
    if (NotedSignal() == 0 && run.PassOneStarted && !PlaceOutputs(run, written)) {
        finished = false;
    }
    RemoveDirectoryTree(run.Private);
    ReleaseTerminationSignals();
    SayWhatWasWritten(written);
    if (NotedSignal() != 0) {
        const int signal = NotedSignal();
        Say(std::string("stopped by SIG") + sigabbrev_np(signal) +
            (written.empty() ? "; the files beside the source are as the last run left them" : ""));
        EndBySignal(signal);
    }
    if (!run.Stop.empty()) {
        Say(run.Stop);
    }
    return finished ? StartSimulator(run) : 1;
}
