// Run8085: runs an 8085 (or 8080) program from a Tessily image or raw binary
// files, and reports the final state.
//
//   Run8085 [options] [IMAGE]
//
// Loads IMAGE (Word1 the program counter, Word2 the stack pointer, ExtraFlag
// the interrupt-enable flip-flop), copies the --load files over it, runs
// until HLT, the CP/M exit or the step limit, and prints the report (on
// standard error under --cpm, where standard output carries only what the
// program prints). Exit status 0 when the program halted or left through
// 0000H, 2 at the step limit, 1 for unusable input or options.

#include "Cpm.h"
#include "Cpu.h"
#include "DebugFrontEnd.h"
#include "ImageState.h"
#include "Options.h"
#include "Ports.h"
#include "ProgramPlaces.h"
#include "Report.h"
#include "Simulation.h"
#include "TemporaryFiles.h"
#include "SourceMap.h"
#include "WholeFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* _Version = "Run8085 (8080/8085 toolchain) 1.0";
constexpr std::size_t _MaxMapBytes = std::size_t{1} << 28;

constexpr int _ExitHalted = 0;
constexpr int _ExitFailure = 1;
constexpr int _ExitStepLimit = 2;

// The state of the run, static rather than on the stack (Cpu and Image hold
// 64 KiB of memory each).
// Cpu is set up by PrepareMachine and then run by the core; Image is read by
// LoadImageFile and overwritten for --out by Run; Ports is set up by Run and
// then noted into by the port callbacks; WarnedBdosFunction is written by
// WarnCpmFunction alone. Map is read by LoadMap.
CpuState Cpu;
MachineImage Image;
PortState Ports;
bool WarnedBdosFunction[256] = {};
SourceMap Map;

void ReportError(const std::string& file, const std::string& what)
{
    std::fprintf(stderr, "%s: error: %s\n", file.c_str(), what.c_str());
}

void ReportWarning(const std::string& file, const std::string& what)
{
    std::fprintf(stderr, "%s: warning: %s\n", file.c_str(), what.c_str());
}

void ReportNote(const std::string& file, const std::string& what)
{
    std::fprintf(stderr, "%s: note: %s\n", file.c_str(), what.c_str());
}

bool LoadMap(const std::string& path)
{
    std::string text;
    bool longer = false;
    std::string error;
    if (!ReadFileUpTo(path, _MaxMapBytes, text, longer, error)) {
        ReportError(path, "cannot read the map: " + error);
        return false;
    }
    if (longer) {
        ReportError(path, "is longer than any source map (" + std::to_string(_MaxMapBytes) + " bytes)");
        return false;
    }
    if (!ReadMapFile(text, Map, error)) {
        ReportError(path, error);
        return false;
    }
    return true;
}

// The places of the map, with the bytes that --load and --cpm place too.
ProgramPlaces FindPlaces(const RunOptions& options)
{
    ProgramPlaces places = FindProgramPlaces(Map);
    for (const LoadRequest& load : options.Loads) {
        std::string bytes;
        bool longer = false;
        std::string error;
        if (ReadFileUpTo(load.File, sizeof Cpu.Memory, bytes, longer, error))
            AddPlacedBytes(places, load.Address, static_cast<std::uint32_t>(bytes.size()));
    }
    if (options.Machine.Cpm)
        AddCpmPlaces(places);
    return places;
}

void PrintCpmByte(void*, std::uint8_t byte)
{
    std::fputc(byte, stdout);
}

void WarnCpmFunction(void*, std::uint8_t function, std::uint16_t returnAddress)
{
    if (WarnedBdosFunction[function])
        return;
    WarnedBdosFunction[function] = true;
    char text[128];
    std::snprintf(text, sizeof text,
                  "BDOS function %02X (returning to %04X) is not served; it returns at once "
                  "(later calls of it are not reported)",
                  function, returnAddress);
    ReportWarning("Run8085", text);
}

bool LoadImageFile(const std::string& path)
{
    std::string bytes;
    bool longer = false;
    std::string error;
    if (!ReadFileUpTo(path, sizeof Image, bytes, longer, error)) {
        ReportError(path, "cannot read the image: " + error);
        return false;
    }
    if (longer || bytes.size() != sizeof Image) {
        const std::string image = std::to_string(sizeof Image);
        ReportError(path, longer ? "is longer than " + image + " bytes, the exact size of an image"
                                 : "is " + std::to_string(bytes.size()) + " bytes long, not the " + image +
                                       " bytes of an image");
        return false;
    }
    std::memcpy(&Image, bytes.data(), sizeof Image);
    for (const std::string& warning : ApplyImage(Image, Cpu))
        ReportWarning(path, warning);
    return true;
}

bool LoadRawFile(const LoadRequest& load)
{
    std::string bytes;
    bool longer = false;
    std::string error;
    if (!ReadFileUpTo(load.File, sizeof Cpu.Memory, bytes, longer, error)) {
        ReportError(load.File, "cannot read: " + error);
        return false;
    }
    if (longer || !PlaceBytes(Cpu, load.Address, bytes)) {
        char text[128];
        std::snprintf(text, sizeof text, "%s bytes loaded at %04X would run past FFFF",
                      longer ? "more than 65536" : std::to_string(bytes.size()).c_str(), load.Address);
        ReportError(load.File, text);
        return false;
    }
    return true;
}

// Loads everything the options name and sets the start registers.
bool PrepareMachine(const RunOptions& options)
{
    ResetCpu(Cpu, options.Machine.Model);
    if (!options.ImageFile.empty() && !LoadImageFile(options.ImageFile))
        return false;
    for (const LoadRequest& load : options.Loads) {
        if (!LoadRawFile(load))
            return false;
    }
    FinishFirstState(Cpu, options.Machine, !options.ImageFile.empty());
    return true;
}

int ExitStatusOf(StopReason stop)
{
    return stop == StopReason::StepLimit ? _ExitStepLimit : _ExitHalted;
}

int Run(const RunOptions& options)
{
    if (!options.MapFile.empty() && !LoadMap(options.MapFile))
        return _ExitFailure;
    if (!PrepareMachine(options))
        return _ExitFailure;
    if (options.Debug)
        return RunDebugger(Cpu, options);

    SetUpPorts(Ports, options.Machine, stdin, stdout);
    Cpu.Io = MakeIoPorts(Ports);

    SimulationSetup setup;
    setup.Interrupts = options.Machine.Interrupts;
    setup.MaxSteps = options.Machine.MaxSteps;
    setup.Cpm = options.Machine.Cpm;
    setup.Console.Print = PrintCpmByte;
    setup.Console.Warn = WarnCpmFunction;

    OutputFile traceFile;
    std::string error;
    if (options.TraceFile == "-") {
        setup.Trace = stdout;
    } else if (!options.TraceFile.empty()) {
        if (!CreateOutputFile(options.TraceFile, traceFile, error)) {
            ReportError(options.TraceFile, "cannot create the trace: " + error);
            return _ExitFailure;
        }
        setup.Trace = traceFile.Stream;
    }

    ProgramPlaces places;
    PlaceFindings findings;
    if (!options.MapFile.empty()) {
        places = FindPlaces(options);
        setup.Places = &places;
        setup.Findings = &findings;
    }

    const StopReason stop = RunSimulation(Cpu, setup);

    int status = ExitStatusOf(stop);
    if (traceFile.Stream && !CommitOutputFile(traceFile, error)) {
        ReportError(options.TraceFile, "cannot write the trace: " + error);
        status = _ExitFailure;
    }
    std::string report = FormatReport(Cpu, stop, Ports.Log, options.Dumps);
    if (setup.Places) {
        if (stop == StopReason::LeftProgram)
            ReportNote("Run8085", FormatLeftProgramNote(places, findings, Cpu));
        if (findings.CodeStores > 0)
            ReportWarning("Run8085", FormatCodeStoreWarning(places, findings));
        if (findings.CodeStores > 1)
            ReportWarning("Run8085", FormatMoreCodeStores(findings));
        if (stop == StopReason::StepLimit)
            report += FormatPlaceLine(places, findings, Cpu);
    }
    std::fputs(report.c_str(), options.Machine.Cpm ? stderr : stdout);
    if (!options.OutFile.empty()) {
        StoreImage(Cpu, Image);
        if (!WriteWholeFile(options.OutFile, {reinterpret_cast<const char*>(&Image), sizeof Image}, error)) {
            ReportError(options.OutFile, "cannot write the image: " + error);
            status = _ExitFailure;
        }
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        ReportError("Run8085", std::string("cannot write standard output: ") + std::strerror(errno));
        status = _ExitFailure;
    }
    return status;
}

} // namespace

int main(int argc, char* argv[])
{
    RemoveTemporaryFilesOnSignals();
    if (argc < 2) {
        std::fputs(UsageText().c_str(), stderr);
        return _ExitFailure;
    }
    const CommandLine commandLine = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (commandLine.Action) {
    case CommandLineAction::ShowHelp: std::fputs(UsageText().c_str(), stdout); return 0;
    case CommandLineAction::ShowVersion: std::printf("%s\n", _Version); return 0;
    case CommandLineAction::Fail:
        ReportError("Run8085", commandLine.Error);
        std::fputs("Try 'Run8085 --help' for more information.\n", stderr);
        return _ExitFailure;
    case CommandLineAction::Run: break;
    }
    return Run(commandLine.Options);
}
