#include "Chain.h"

#include "DefaultRegisters.h"
#include "Files.h"
#include "PassOneLog.h"
#include "Process.h"
#include "SourceMessages.h"
#include "WholeFile.h"

#include <cstdio>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// Where one run keeps its files.
struct Places {
    std::string Source;                 // as given on the command line
    std::string Base;                   // the source's file name
    std::string Temporary;              // private directory, removed at the end
    std::string Work;                   // where Corvane and Pass2 run
    bool WorkInSourceDirectory = false; // the source's directory has etc/opcodes.txt
    std::string Output;                 // the directory that receives the files
    std::string Shown;                  // how Output is named to the user: "" or "dir/"
    std::string TableShown;             // how the opcode table is named to the user
    std::vector<std::string> Written;   // "listing prog.asm.pass1", ... in order
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

// Removes the temporary directory and ends the process when a termination
// signal arrived while a step ran.
void EndIfSignalled(const Places& places)
{
    if (NotedSignal() != 0) {
        RemoveDirectoryTree(places.Temporary);
        EndBySignal(NotedSignal());
    }
}

// Runs one program of the chain, ending the process if a signal came.
ProgramRun RunStep(const Places& places, bool verbose, const std::string& program, const std::vector<std::string>& args,
                   const std::string& cwd)
{
    if (verbose) {
        std::string command = fs::path(program).filename().string();
        for (const std::string& arg : args) {
            command += " " + arg;
        }
        Say("running " + command + " in " + cwd);
    }
    ProgramRun run = RunAndCollect(program, args, cwd);
    EndIfSignalled(places);
    return run;
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

// Names the files the run left beside the source.
void SayWhatWasWritten(const Places& places)
{
    std::string text;
    for (const std::string& item : places.Written) {
        text += (text.empty() ? "" : ", ") + item;
    }
    if (!text.empty()) {
        Say(text);
    }
}

// Keeps a file of the run beside the source: copied out of the temporary
// working directory, or already there when the work ran beside the source.
bool Keep(Places& places, const std::string& kind, const std::string& made, const std::string& name)
{
    if (!places.WorkInSourceDirectory || made != InDirectory(places.Output, name)) {
        std::string error;
        if (!CopyWholeFile(made, InDirectory(places.Output, name), error)) {
            SayError("cannot keep the " + kind + ": " + error);
            return false;
        }
    }
    places.Written.push_back(kind + " " + places.Shown + name);
    return true;
}

// Removes the files that later steps would have written, so that the files
// beside the source always come from one run.
void RemoveLaterFiles(const Places& places, std::initializer_list<const char*> suffixes)
{
    for (const char* suffix : suffixes) {
        std::string ignored;
        RemoveFile(InDirectory(places.Output, places.Base + suffix), ignored);
    }
}

// Works out the places, makes the temporary directory and, when the source's
// directory has no opcode table, fills the temporary one with the table and
// a copy of the source.
bool PreparePlaces(const CommandLine& line, const Toolchain& tools, Places& places)
{
    std::string error;
    if (!IsReadableFile(line.Source, error)) {
        SayError("cannot read " + line.Source + ": " + error);
        return false;
    }
    if (!line.RegisterFile.empty() && !IsReadableFile(line.RegisterFile, error)) {
        SayError("cannot read " + line.RegisterFile + ": " + error);
        return false;
    }
    const fs::path source(line.Source);
    const std::string directory = source.parent_path().string();
    places.Source = line.Source;
    places.Base = source.filename().string();
    places.Output = directory.empty() ? "." : directory;
    places.Shown = directory.empty() ? "" : (directory.back() == '/' ? directory : directory + "/");
    places.Temporary = MakeTemporaryDirectory(error);
    if (places.Temporary.empty()) {
        SayError("cannot make a temporary directory: " + error);
        return false;
    }
    struct stat status {};
    const std::string ownTable = InDirectory(places.Output, "etc/opcodes.txt");
    places.WorkInSourceDirectory = ::stat(ownTable.c_str(), &status) == 0 && S_ISREG(status.st_mode);
    if (places.WorkInSourceDirectory) {
        places.Work = places.Output;
        places.TableShown = places.Shown + "etc/opcodes.txt";
        return true;
    }
    places.Work = places.Temporary;
    places.TableShown = tools.OpcodeTable;
    fs::create_directory(InDirectory(places.Work, "etc"));
    if (!CopyWholeFile(tools.OpcodeTable, InDirectory(places.Work, "etc/opcodes.txt"), error) ||
        !CopyWholeFile(line.Source, InDirectory(places.Work, places.Base), error)) {
        SayError("cannot prepare the working directory: " + error);
        return false;
    }
    if (!CanCreateFilesIn(places.Output)) {
        Say("note: cannot write beside " + line.Source +
            " (its directory is not writable): the files go to the working directory");
        places.Output = ".";
        places.Shown = "";
    }
    return true;
}

// Pass 1, then the report of every problem its run log records. False when
// the chain stops here.
bool RunPassOne(const CommandLine& line, const Toolchain& tools, Places& places)
{
    // A log left by an earlier run must never pass for this run's.
    const std::string logPath = InDirectory(places.Work, "etc/log-Pass1.txt");
    std::string error;
    RemoveFile(logPath, error);
    const ProgramRun run = RunStep(places, line.Verbose, tools.Corvane, {places.Base}, places.Work);
    const std::string failure = DescribeFailure("Corvane", run);
    if (!failure.empty() || !run.Stdout.empty() || !run.Stderr.empty()) {
        Relay(run.Stdout + run.Stderr, [](const std::string& text) { return "Corvane: " + text; });
        SayError((failure.empty() ? "pass 1 could not do its work" : failure) + "; stopped");
        return false;
    }
    std::string log;
    if (!ReadWholeFile(logPath, log, error)) {
        SayError("pass 1 left no run log " + logPath + ": " + error);
        return false;
    }
    const std::string logName = places.WorkInSourceDirectory ? "etc/log-Pass1.txt" : places.Base + ".log";
    if (!Keep(places, "listing", InDirectory(places.Work, places.Base + ".pass1"), places.Base + ".pass1") ||
        !Keep(places, "symbols", InDirectory(places.Work, places.Base + ".sym"), places.Base + ".sym") ||
        !Keep(places, "run log", logPath, logName)) {
        return false;
    }
    const std::vector<Problem> problems = ReadPassOneLog(log);
    for (const Problem& problem : problems) {
        std::fprintf(stderr, "%s\n", FormatProblem(problem, places.Source, places.TableShown).c_str());
    }
    const int errors = CountProblems(problems, Severity::Error);
    if (errors == 0) {
        return true;
    }
    const std::string count = std::to_string(errors) + (errors == 1 ? " error" : " errors");
    if (line.KeepGoing) {
        Say(count + " in pass 1; going on (--keep-going)");
        return true;
    }
    SayWhatWasWritten(places);
    Say(count + " in pass 1; stopped before Pass2 (--keep-going goes on)");
    return false;
}

// Pass 2. Its messages name the listing and symbol file as the user sees them.
bool RunPassTwo(const CommandLine& line, const Toolchain& tools, Places& places)
{
    const ProgramRun run = RunStep(places, line.Verbose, tools.Pass2, {places.Base}, places.Work);
    const std::string ownPrefix = places.Base + ".";
    const std::string output =
        PlacePass2MessagesOnSource(run.Stdout + run.Stderr, places.Work, places.Base, places.Source);
    Relay(output, [&](const std::string& text) {
        if (text.compare(0, ownPrefix.size(), ownPrefix) == 0) {
            return places.Shown + text;
        }
        if (text.compare(0, 15, "etc/opcodes.txt") == 0) {
            return places.TableShown + text.substr(15);
        }
        return text;
    });
    const std::string failure = DescribeFailure("Pass2", run);
    if (!failure.empty()) {
        SayWhatWasWritten(places);
        SayError(failure + "; stopped before Tessily");
        return false;
    }
    return Keep(places, "machine code", InDirectory(places.Work, places.Base + ".hex"), places.Base + ".hex");
}

// The register data file: the one given, or the default start written into
// the temporary directory. Empty when it cannot be had.
std::string ChooseRegisterFile(const CommandLine& line, const Places& places)
{
    if (!line.RegisterFile.empty()) {
        return fs::absolute(line.RegisterFile).string();
    }
    std::string error;
    std::string listing;
    const std::optional<std::uint16_t> first =
        ReadWholeFile(InDirectory(places.Work, places.Base + ".pass1"), listing, error) ? FirstListingAddress(listing)
                                                                                        : std::nullopt;
    if (!first) {
        Say("note: the listing has no record; the program counter starts at 2000H");
    }
    const std::string text = MakeDefaultRegisterFile(first.value_or(0x2000));
    const std::string path = InDirectory(places.Temporary, "default.regs");
    if (!WriteWholeFile(path, text, error)) {
        SayError("cannot write " + path + ": " + error);
        return {};
    }
    if (line.Verbose) {
        char pc[8];
        std::snprintf(pc, sizeof pc, "%04X", first.value_or(0x2000));
        Say(std::string("default register data file (PC ") + pc + "H, SP 0000H, all else 0):");
        std::fputs(text.c_str(), stderr);
    }
    return path;
}

// The image builder, on the register data file and pass 2's machine code.
bool BuildImage(const CommandLine& line, const Toolchain& tools, Places& places)
{
    const std::string registers = ChooseRegisterFile(line, places);
    if (registers.empty()) {
        return false;
    }
    const std::string image = InDirectory(places.Temporary, places.Base + ".img");
    const std::string machineCode = fs::absolute(InDirectory(places.Work, places.Base + ".hex")).string();
    const ProgramRun run =
        RunStep(places, line.Verbose, tools.Tessily, {registers, machineCode, image}, places.Temporary);
    const std::string failure = DescribeFailure("Tessily", run);
    if (!failure.empty() || !run.Stdout.empty() || !run.Stderr.empty()) {
        Relay(run.Stdout + run.Stderr, [](const std::string& text) { return "Tessily: " + text; });
        SayWhatWasWritten(places);
        SayError((failure.empty() ? "the image could not be built" : failure) + "; stopped before Run8085");
        return false;
    }
    return Keep(places, "image", image, places.Base + ".img");
}

} // namespace

int RunChain(const CommandLine& line, const Toolchain& tools)
{
    Places places;
    const bool prepared = PreparePlaces(line, tools, places);
    if (prepared && RunPassOne(line, tools, places)) {
        if (!RunPassTwo(line, tools, places)) {
            RemoveLaterFiles(places, {".img"});
        } else if (BuildImage(line, tools, places)) {
            RemoveDirectoryTree(places.Temporary);
            SayWhatWasWritten(places);
            std::vector<std::string> args = line.SimulatorOptions;
            std::string image = places.Shown + places.Base + ".img";
            args.push_back(image[0] == '-' ? "./" + image : image);
            if (line.Verbose) {
                std::string command = "Run8085";
                for (const std::string& arg : args) {
                    command += " " + arg;
                }
                Say("running " + command);
            }
            SayError("cannot run " + tools.Run8085 + ": " + ReplaceProcess(tools.Run8085, args));
            return 1;
        } else {
            RemoveLaterFiles(places, {".img"});
        }
    } else if (prepared) {
        RemoveLaterFiles(places, {".hex", ".img"});
    }
    RemoveDirectoryTree(places.Temporary);
    return 1;
}
