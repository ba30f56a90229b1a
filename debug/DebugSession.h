// The debugging layer: one session over the processor core, with stepping,
// running to stop conditions, breakpoints, watchpoints, a history to run
// backwards through, and a command interpreter that takes one line and
// gives back the text to show. The terminal front end (Run8085 --debug)
// and the page drive the same session from memory; nothing here touches a
// terminal, a signal or a process.
//
// History: the whole machine (DebugMachine) is copied every
// _SnapshotInterval instructions and whenever a command changes it; going
// back to a moment restores the nearest copy before it and runs forward
// again. What came from outside while running (console input) is logged,
// so running again gives the very same machine. Time is counted in steps:
// instructions and interrupts taken, and the console's traps under --cpm.
#pragma once

#include "Cpu.h"
#include "MachineOptions.h"
#include "Ports.h"
#include "ProgramPlaces.h"
#include "Simulation.h"
#include "SourceMap.h"

#include <csignal>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Instructions between two periodic copies of the machine.
constexpr std::uint64_t _SnapshotInterval = 1000000;
// History memory unless the front end says otherwise.
constexpr std::uint64_t _DefaultHistoryBytes = std::uint64_t{64} << 20;

// Everything that makes up the machine at one moment.
struct DebugMachine {
    CpuState Cpu;
    PortLog Out;                   // what OUT wrote, for the report and the page
    std::uint8_t Inputs[256] = {}; // what IN reads from ports other than the console
    RunProgress Progress;          // the next --interrupt event, the console's traps served
    std::uint64_t ConsoleReads = 0;
    std::uint64_t ConsoleWrites = 0;
};

// One OUT, for the page's log: when (the step that ran it, and the
// instruction count with it), where, and what.
struct OutEvent {
    std::uint64_t Step = 0;
    std::uint64_t Instructions = 0;
    std::uint16_t Address = 0;
    std::uint8_t Port = 0;
    std::uint8_t Value = 0;
};

// OUTs the log keeps (the latest).
constexpr std::size_t _OutHistoryKept = 10000;

// Steps since the first state.
std::uint64_t CountSteps(const DebugMachine& machine);

enum class BreakKind : std::uint8_t { Breakpoint, Watchpoint };
// What stops a watchpoint: a change of the value (watch), a read (rwatch),
// or any read or store (awatch).
enum class WatchKind : std::uint8_t { Write, Read, Access };

struct DebugBreak {
    int Number = 0;
    BreakKind Kind = BreakKind::Breakpoint;
    bool Temporary = false;
    bool Enabled = true;
    std::uint16_t Address = 0; // breakpoint
    std::string Where;         // how the stop names it: "LOOP (prog.asm:5)", "2004H"
    std::string Condition;     // "" when none; parsed again at each hit
    // Watchpoint: a memory range or a register (Register non-empty).
    std::uint16_t From = 0, To = 0;
    std::string Register;
    WatchKind Watches = WatchKind::Write;
    std::string Text; // as the user wrote what is watched
    int Hits = 0;
    int Ignore = 0;                    // hits still to pass over without stopping
    std::vector<std::string> Commands; // run after a stop here
};

// Why the machine stopped, for the page and the terminal.
enum class StopKind : std::uint8_t {
    None,
    Step,
    Breakpoint,
    Watchpoint,
    Halted,
    CpmExit,
    StepLimit,
    StartOfHistory,
    LeftProgram, // with a map: the next instruction is where the program placed nothing
    Finished,
    Interrupted,
};

// The history: copies of the machine in time order, the oldest first, and
// what came from outside while running, so that running again gives the
// very same machine.
struct DebugHistory {
    std::deque<std::unique_ptr<DebugMachine>> Snapshots;
    std::uint64_t HistoryBytes = _DefaultHistoryBytes;
    bool HistoryLossSaid = false;
    std::string ConsoleInputLog;      // every byte the console port has read
    std::uint64_t ConsolePrinted = 0; // console bytes already shown
    std::uint64_t LatestTime = 0;     // the latest moment the machine has been at
    // Every OUT run, in time order, up to the latest moment run (going back
    // and running again replaces those from then on): FindOutsUntilNow.
    std::deque<OutEvent> OutHistory;
};

// The breakpoints and watchpoints.
struct DebugStops {
    std::vector<DebugBreak> Breaks;
    int NextBreakNumber = 1;
    std::vector<std::uint8_t> BreakTable = std::vector<std::uint8_t>(65536); // bit 0 user, bit 1 internal
    int LastHit = 0; // the breakpoint that stopped the machine last, 0 when none
};

// An expression shown at every stop (display).
struct DebugDisplay {
    int Number = 0;
    std::string Expression;
    char Format = 0; // as print/FMT takes it, 0 for print's own form
};

// The command interpreter's state: what the last stop showed, what an empty
// line repeats, where list and x go on, the frame chosen, what is shown at
// every stop.
struct DebugPrompt {
    bool MarkChanges = false;            // a terminal: mark changed registers
    std::unique_ptr<CpuState> LastShown; // the processor at the last stop shown
    std::string LastCommand;             // what an empty line repeats, "" for nothing
    bool Repeating = false;              // the command runs again for an empty line
    int ListNextLine = 0;                // where a repeated list goes on
    int ExamineNext = -1;                // where a repeated x goes on, -1 when nowhere
    bool Quit = false;
    StopKind LastStop = StopKind::None;
    std::string LastStopText;
    int LastWrite = -1; // the last memory byte a step wrote, -1 when unknown
    int Frame = 0;      // the frame that frame, up and down chose; 0 at every stop
    std::vector<DebugDisplay> Displays;
    int NextDisplayNumber = 1;
    int CommandsFor = 0; // commands N: the lines typed go to breakpoint N until "end"
    int Depth = 0;       // source and breakpoint commands running commands
};

// Files for save and source, from the front end; null: there are none.
struct DebugFiles {
    bool (*Read)(const std::string& path, std::string& text, std::string& error) = nullptr;
    bool (*Write)(const std::string& path, const std::string& text, std::string& error) = nullptr;
};

struct DebugSession {
    MachineOptions Options;
    SimulationSetup Setup; // the machine's run as the options shape it (Until, Breaks set per stretch)
    PortDevices Devices;   // the devices on the ports (the session's console)
    DebugMachine First;                 // the first state
    DebugMachine Now;
    bool HasMap = false;
    SourceMap Map;
    ProgramPlaces Places; // with a map: where the program placed its bytes (Places.Map points to Map)

    DebugStops Stops;

    DebugHistory History;

    // Where live console input comes from; null reads end of input.
    int (*ReadConsole)(void* context) = nullptr;
    void* ReadConsoleContext = nullptr;

    // Set by the front end (Ctrl-C) to stop a run going forward; read
    // between stretches of running, never while going back.
    const volatile std::sig_atomic_t* StopRequest = nullptr;
    bool StopAllowed = false;

    DebugPrompt Prompt;
    DebugFiles Files;
    std::string Output; // what the command being run prints
    bool WarnedBdos[256] = {};
};

// The OUTs run until the machine's moment now, the oldest first, at most
// the latest `limit`.
std::vector<OutEvent> FindOutsUntilNow(const DebugSession& session, std::size_t limit);

// Loads the first state (memory, registers) and the options that shape a
// run (model, --interrupt, --input, --console-port, --cpm, --max-steps).
void LoadDebugSession(DebugSession& session, const CpuState& first, const MachineOptions& options);
void SetDebugSourceMap(DebugSession& session, SourceMap map);

// The two lines of a stop (with the reason line before them when given).
std::string FormatStopLines(DebugSession& session);

struct CommandResult {
    std::string Text;     // to print, each line ending in a line feed
    bool Refused = false; // a bad command: nothing changed
};

// Runs one command line as typed at the prompt.
CommandResult RunDebugCommand(DebugSession& session, std::string_view line);

// The words that complete word: command names at the start of the line,
// info's sub-commands after info, else labels (and $registers after $).
std::vector<std::string> CompleteDebugWord(const DebugSession& session, std::string_view lineBefore,
                                           std::string_view word);

// Runs continue for at most count instructions; true when it stopped for a
// reason (the page's slices).
bool ContinueSlice(DebugSession& session, std::uint64_t count, std::string& text);

// The text of the stop shown when the session starts.
std::string StartText(DebugSession& session);

// --- The machine (DebugMachine.cpp): the session's history around the
// machine's one run loop (machine/Simulation.h) ---

enum class RunStop : std::uint8_t { Reached, Break, Halted, CpmExit, StepLimit, Interrupted };

// Runs forward until the time is until, or (when useBreaks) before an
// instruction whose address is marked in the break table (never before the
// first), or the machine halts, leaves under CP/M, or reaches the step limit.
RunStop RunForward(DebugSession& session, std::uint64_t until, bool useBreaks);

// Restores the machine as it was at time (the oldest moment held when that
// is older); false when the history no longer reaches back that far.
bool GoToTime(DebugSession& session, std::uint64_t time);

// The oldest moment the history holds.
std::uint64_t FindOldestTime(const DebugSession& session);

// A command changed the machine: whatever history lay after now is gone,
// and now becomes a moment of the history. True when something was cut.
bool NoteMachineChanged(DebugSession& session);

// Whether the processor is halted with nothing that could wake it.
bool IsStuck(const DebugSession& session);

// How many steps the history holds back from now (said once when some fell out).
std::uint64_t CountHistoryInstructions(const DebugSession& session);
