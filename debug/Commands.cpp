// The command interpreter: one row per command, every property a column;
// each handler checks its arguments fully before it changes anything, so
// that a refused command changes nothing.
#include "CommandParts.h"

#include "Display.h"
#include "Interrupts.h"
#include "Registers.h"
#include "Simulation.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

constexpr int _MostNesting = 8; // source and breakpoint commands inside each other

// What a command does to the machine and its history.
enum class Effect : std::uint8_t {
    Reads,    // looks only
    Moves,    // moves the machine along its history (forward runs anew past its end)
    Changes,  // changes the machine: the history after now is cut (given an argument; without one it looks)
    Restarts, // back to the first state
};

enum class Argument : std::uint8_t { None, Optional, Required };

struct CommandRow {
    const char* Name;
    const char* Aliases; // exact other names, space-separated; any unique prefix of Name works too
    Handler Run;
    Argument Takes;
    bool TakesFormat; // name/FMT
    Effect Does;
    bool Repeats;    // an empty line runs it again
    bool KeepsList;  // a list after it goes on where the last list ended
    const char* Usage;
    const char* Help;
};

bool AddCut(DebugSession& session, bool cut)
{
    if (cut)
        session.Output += "the history after this point is discarded\n";
    return true;
}

template <StopReport (*Move)(DebugSession&, std::uint64_t)>
bool MoveCounted(DebugSession& session, const std::string& args, std::string& error)
{
    std::uint64_t count;
    if (!ReadCount(session, args, count, error))
        return false;
    ShowStop(session, Move(session, count));
    return true;
}

template <StopReport (*Move)(DebugSession&)>
bool MoveOnce(DebugSession& session, const std::string&, std::string&)
{
    ShowStop(session, Move(session));
    return true;
}

StopReport ContinueToStop(DebugSession& session)
{
    return ContinueForward(session, UINT64_MAX);
}

// Continue N: like gdb, pass the breakpoint stopped at N-1 more times.
bool Continue(DebugSession& session, const std::string& args, std::string& error)
{
    std::uint64_t count;
    if (!ReadCount(session, args, count, error))
        return false;
    if (!args.empty()) {
        if (session.Prompt.LastStop != StopKind::Breakpoint || !FindBreak(session, session.Stops.LastHit)) {
            error = "continue N passes the breakpoint stopped at: the machine is not at one";
            return false;
        }
        auto& b = const_cast<DebugBreak&>(*FindBreak(session, session.Stops.LastHit));
        b.Ignore = static_cast<int>(std::min<std::uint64_t>(count - 1, 1 << 30));
        session.Output += "breakpoint " + std::to_string(b.Number) + " passes its next " + std::to_string(b.Ignore) +
                          " hit" + (b.Ignore == 1 ? "" : "s") + "\n";
    }
    ShowStop(session, ContinueToStop(session));
    return true;
}

bool Advance(DebugSession& session, const std::string& args, std::string& error)
{
    std::uint16_t address;
    if (!ResolveLocation(session, args, address, error))
        return false;
    ShowStop(session, AdvanceForward(session, address));
    return true;
}

bool Until(DebugSession& session, const std::string& args, std::string& error)
{
    if (!args.empty())
        return Advance(session, args, error);
    ShowStop(session, UntilForward(session));
    return true;
}

// Goes to moment time: back through the history, or forward by running
// (breakpoints and watchpoints aside, as record goto does).
bool GoToMoment(DebugSession& session, const std::string& args, std::string& error)
{
    const std::string what = Lower(args);
    std::uint64_t time;
    if (what == "begin" || what == "start") {
        time = FindOldestTime(session);
    } else if (what == "end") {
        time = std::max(session.History.LatestTime, CountSteps(session.Now));
    } else {
        ExprValue value;
        if (std::all_of(args.begin(), args.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }) &&
            !args.empty() && args.size() < 19) {
            time = std::stoull(args);
        } else if (EvaluateExpression(session, args, value, error) && value.Value >= 0) {
            time = static_cast<std::uint64_t>(value.Value);
        } else {
            if (error.empty())
                error = "a moment is 0 or more";
            return false;
        }
    }
    if (time < FindOldestTime(session)) {
        error = "moment " + std::to_string(time) + " is older than the history: it holds moments from " +
                std::to_string(FindOldestTime(session));
        return false;
    }
    const std::uint64_t now = CountSteps(session.Now);
    StopReport report;
    if (time <= now) {
        GoToTime(session, time);
    } else {
        session.StopAllowed = true;
        const RunStop stop = RunForward(session, time, false);
        session.StopAllowed = false;
        if (stop == RunStop::Halted)
            report = {StopKind::Halted, "halted before moment " + std::to_string(time)};
        else if (stop == RunStop::CpmExit)
            report = {StopKind::CpmExit, "exited through 0000H before moment " + std::to_string(time)};
        else if (stop == RunStop::StepLimit)
            report = {StopKind::StepLimit, "step limit"};
        else if (stop == RunStop::Interrupted)
            report = {StopKind::Interrupted, "interrupted"};
    }
    ShowStop(session, report);
    return true;
}

bool RecordGoto(DebugSession& session, const std::string& args, std::string& error)
{
    const std::string what = Lower(args);
    if (what.compare(0, 5, "goto ") != 0) {
        error = "record goto MOMENT|begin|end ('info record' for where we are)";
        return false;
    }
    return GoToMoment(session, Trim(args.substr(5)), error);
}

bool When(DebugSession& session, const std::string&, std::string&)
{
    const CpuState& cpu = session.Now.Cpu;
    session.Output += "moment " + std::to_string(CountSteps(session.Now)) + " (" + std::to_string(cpu.Instructions) +
                      " instructions, " + std::to_string(cpu.States) + " T-states)\n";
    return true;
}

// Splits "LEFT = RIGHT".
bool SplitAssignment(const std::string& args, std::string& left, std::string& right, std::string& error)
{
    const std::size_t equals = args.find('=');
    if (equals == std::string::npos || args.compare(equals, 2, "==") == 0) {
        error = "expected NAME = VALUE";
        return false;
    }
    left = Trim(args.substr(0, equals));
    right = Trim(args.substr(equals + 1));
    if (left.empty() || right.empty()) {
        error = "expected NAME = VALUE";
        return false;
    }
    return true;
}

bool Set(DebugSession& session, const std::string& typed, std::string& error)
{
    std::string args = typed;
    if (Lower(args).compare(0, 4, "var ") == 0)
        args = Trim(args.substr(4));
    std::string left, right;
    if (!SplitAssignment(args, left, right, error))
        return false;
    ExprValue value;
    if (!EvaluateExpression(session, right, value, error))
        return false;
    CpuState& cpu = session.Now.Cpu;
    if (left.size() > 2 && left.front() == '[' && left.back() == ']') {
        std::uint16_t address;
        if (!ReadAddress(session, Trim(left.substr(1, left.size() - 2)), address, error))
            return false;
        if (value.Value < -128 || value.Value > 0xFF) {
            error = right + " does not fit in a byte";
            return false;
        }
        cpu.Memory[address] = static_cast<std::uint8_t>(value.Value);
        return true;
    }
    const bool dollar = left[0] == '$';
    const std::string name = dollar ? left.substr(1) : left;
    const RegisterInfo* reg = FindRegister(name);
    // A label is an address, not something to assign to: a name that is
    // both is the machine's here, with a note (the page sends plain names).
    if (!dollar && FindLabel(session, left)) {
        if (!reg) {
            error = "'" + left + "' is a label: set [" + left + "] = VALUE writes the byte there";
            return false;
        }
        session.Output += "note: '" + left + "' is also a label; set changes the machine's " + reg->Name + " ($" +
                          Lower(reg->Name) + ")\n";
    }
    if (!reg || !HasRegister(*reg, cpu.Model) || !reg->Write) {
        error = "cannot set '" + left + "': give a register, pair, flag or [ADDR]";
        return false;
    }
    const std::int64_t max = (std::int64_t{1} << reg->Bits) - 1;
    if (value.Value < (reg->Bits == 1 ? 0 : -max / 2 - 1) || value.Value > max) {
        error = right + " does not fit in " + reg->Name;
        return false;
    }
    reg->Write(cpu, static_cast<std::uint16_t>(value.Value));
    return true;
}

bool Input(DebugSession& session, const std::string& args, std::string& error)
{
    std::string left, right;
    if (!SplitAssignment(args, left, right, error))
        return false;
    ExprValue port, value;
    if (!EvaluateExpression(session, left, port, error) || !EvaluateExpression(session, right, value, error))
        return false;
    if (port.Value < 0 || port.Value > 0xFF || value.Value < 0 || value.Value > 0xFF) {
        error = "the port and the value are bytes, 0-0FFH";
        return false;
    }
    if (port.Value == session.Options.ConsolePort) {
        error = "port " + FormatHex(static_cast<std::uint32_t>(port.Value), 2) + " is the console port";
        return false;
    }
    session.Now.Inputs[port.Value] = static_cast<std::uint8_t>(value.Value);
    return true;
}

bool Interrupt(DebugSession& session, const std::string& args, std::string& error)
{
    if (args.empty())
        return ShowInterrupts(session, args, error);
    std::string name;
    for (char c : args) {
        if (c != ' ')
            name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    InterruptEvent event;
    bool found = false;
    // The sources as --interrupt spells them (TRAP, RST7.5, ...), from the core's table.
    for (const InterruptSourceInfo& row : _InterruptSources) {
        if (row.Source != InterruptSource::Intr && name == row.OptionName) {
            event.Source = row.Source;
            found = true;
        }
    }
    if (!found && name.size() == 6 && name.compare(0, 5, "INTR:") == 0 && name[5] >= '0' && name[5] <= '7') {
        event.Source = InterruptSource::Intr;
        event.RstNumber = static_cast<std::uint8_t>(name[5] - '0');
        found = true;
    }
    if (!found && name.size() == 5 && name.compare(0, 4, "INTR") == 0 && name[4] >= '0' && name[4] <= '7') {
        event.Source = InterruptSource::Intr;
        event.RstNumber = static_cast<std::uint8_t>(name[4] - '0');
        found = true;
    }
    if (!found) {
        error = "interrupt what? TRAP, RST5.5, RST6.5, RST7.5 or INTR:n (n 0-7); 'info interrupts' shows their state";
        return false;
    }
    if (session.Now.Cpu.Model == CpuModel::I8080 && event.Source != InterruptSource::Intr) {
        error = "the 8080 has no TRAP or RST 5.5, 6.5 and 7.5 inputs, only INTR";
        return false;
    }
    RaiseInterrupt(session.Now.Cpu, event);
    return true;
}

// run: start again from the first state; run N: go to moment N.
bool Run(DebugSession& session, const std::string& args, std::string& error)
{
    if (!args.empty())
        return GoToMoment(session, args, error);
    const MachineOptions options = session.Options;
    const CpuState first = session.First.Cpu;
    LoadDebugSession(session, first, options);
    ShowStop(session, {StopKind::None, "starting again from the first state"});
    return true;
}

bool Quit(DebugSession& session, const std::string&, std::string&)
{
    session.Prompt.Quit = true;
    return true;
}

bool Help(DebugSession& session, const std::string& args, std::string& error);
bool Info(DebugSession& session, const std::string& args, std::string& error);
bool Source(DebugSession& session, const std::string& args, std::string& error);
bool Save(DebugSession& session, const std::string& args, std::string& error);

constexpr Argument _No = Argument::None;
constexpr Argument _May = Argument::Optional;
constexpr Argument _Must = Argument::Required;
constexpr Effect _Reads = Effect::Reads;
constexpr Effect _Moves = Effect::Moves;
constexpr Effect _Changes = Effect::Changes;

// clang-format off
const CommandRow _Commands[] = {
//   name                alias(es)     handler                      argument fmt    effect           repeat list
    {"step",             "s si stepi", MoveCounted<StepForward>,    _May,  false, _Moves,          true,  false, "step [N]", "run N instructions (default 1), into subroutines"},
    {"next",             "n ni nexti", MoveCounted<NextForward>,    _May,  false, _Moves,          true,  false, "next [N]", "like step, but a CALL, RST or taken conditional call runs until it returns"},
    {"finish",           "",           MoveOnce<FinishForward>,     _No,   false, _Moves,          true,  false, "finish", "run until the current subroutine returns"},
    {"until",            "u",          Until,                       _May,  false, _Moves,          true,  false, "until [LOCATION]", "next, but a jump back (a loop) runs on until past it; with LOCATION, as advance"},
    {"advance",          "",           Advance,                     _Must, false, _Moves,          false, false, "advance LOCATION", "run until LOCATION, or until the current subroutine returns"},
    {"continue",         "c",          Continue,                    _May,  false, _Moves,          true,  false, "continue [N]", "run until a breakpoint, a watchpoint, HLT, the end of a CP/M program or the step limit; N: pass this breakpoint N-1 times"},
    {"reverse-step",     "rs rsi reverse-stepi", MoveCounted<StepBackward>, _May, false, _Moves,   true,  false, "reverse-step [N]", "go back N instructions: the machine exactly as it was"},
    {"reverse-next",     "rn rni reverse-nexti", MoveCounted<NextBackward>, _May, false, _Moves,   true,  false, "reverse-next [N]", "like reverse-step, but back over whole subroutine calls"},
    {"reverse-continue", "rc",         MoveOnce<ContinueBackward>,  _No,   false, _Moves,          true,  false, "reverse-continue", "go back to the last breakpoint or watchpoint hit, or to the start of the history"},
    {"reverse-finish",   "",           MoveOnce<FinishBackward>,    _No,   false, _Moves,          true,  false, "reverse-finish", "go back to the call of the current subroutine"},
    {"record",           "rec",        RecordGoto,                  _Must, false, _Moves,          false, false, "record goto MOMENT|begin|end", "go to a moment of the history (forward: run to it, stopping for nothing)"},
    {"when",             "",           When,                        _No,   false, _Reads,          false, false, "when", "the moment now: steps, instructions and T-states since the first state"},
    {"break",            "b br",       Break,                       _May,  false, _Reads,          false, false, "break [LOCATION] [if EXPR]", "stop before LOCATION: a label (LOOP), a source line (12, prog.asm:12) or an address (2010H); with 'if', only when EXPR holds (B == 0, [2050H] > 7)"},
    {"tbreak",           "",           TemporaryBreak,              _May,  false, _Reads,          false, false, "tbreak [LOCATION] [if EXPR]", "a breakpoint deleted when first hit"},
    {"watch",            "",           Watch,                       _Must, false, _Reads,          false, false, "watch REG | ADDR | [EXPR] | FROM-TO", "stop after an instruction changes that register or memory, showing old and new value"},
    {"rwatch",           "",           ReadWatch,                   _Must, false, _Reads,          false, false, "rwatch ADDR | [EXPR] | FROM-TO", "stop after an instruction reads that memory"},
    {"awatch",           "",           AccessWatch,                 _Must, false, _Reads,          false, false, "awatch ADDR | [EXPR] | FROM-TO", "stop after an instruction reads or writes that memory"},
    {"delete",           "d",          Delete,                      _May,  false, _Reads,          false, false, "delete [N...]", "delete breakpoints or watchpoints N, or all of them"},
    {"clear",            "",           Clear,                       _May,  false, _Reads,          false, false, "clear [LOCATION]", "delete the breakpoints at LOCATION (default PC)"},
    {"enable",           "en",         Enable,                      _May,  false, _Reads,          false, false, "enable [N...]", "enable breakpoints or watchpoints N, or all"},
    {"disable",          "dis disa",   Disable,                     _May,  false, _Reads,          false, false, "disable [N...]", "disable breakpoints or watchpoints N, or all: kept, but they do not stop"},
    {"condition",        "",           Condition,                   _Must, false, _Reads,          false, false, "condition N [EXPR]", "breakpoint N stops only when EXPR holds; without EXPR, always"},
    {"ignore",           "",           Ignore,                      _Must, false, _Reads,          false, false, "ignore N COUNT", "breakpoint N passes its next COUNT hits"},
    {"commands",         "",           Commands,                    _May,  false, _Reads,          false, false, "commands [N]", "the lines that follow, up to 'end', run after each stop at breakpoint N (default the last set)"},
    {"save",             "",           Save,                        _Must, false, _Reads,          false, false, "save breakpoints FILE", "write the commands that set the breakpoints and watchpoints again"},
    {"source",           "",           Source,                      _Must, false, _Reads,          false, false, "source FILE", "run the commands in FILE"},
    {"info",             "i inf",      Info,                        _Must, false, _Reads,          false, false, "info WHAT", "breakpoints, registers, interrupts, ports, record, line, frame, display ('help info')"},
    {"print",            "p inspect",  Print,                       _Must, true,  _Reads,          false, false, "print[/FMT] EXPR", "a register, pair, flag, interrupt state, [ADDR], label or expression; FMT x d u t c"},
    {"display",          "",           Display,                     _May,  true,  _Reads,          false, false, "display[/FMT] [EXPR]", "print EXPR at every stop; without EXPR, print them all now"},
    {"undisplay",        "",           Undisplay,                   _May,  false, _Reads,          false, false, "undisplay [N]", "stop displaying N, or all"},
    {"x",                "",           Examine,                     _May,  true,  _Reads,          true,  false, "x ADDR [COUNT] | x/NFU ADDR", "COUNT bytes (default 16) as hexadecimal and characters; x/NFU: N items, F x d u t c or i, U b or h; again: the next ones"},
    {"list",             "l",          List,                        _May,  false, _Reads,          true,  true,  "list [LOCATION]", "source lines around PC or LOCATION; again: the next lines"},
    {"disassemble",      "",           Disassemble,                 _May,  false, _Reads,          false, false, "disassemble [ADDR [COUNT]]", "COUNT instructions (default 8) from ADDR or PC"},
    {"backtrace",        "bt where",   Backtrace,                   _May,  false, _Reads,          false, false, "backtrace [N]", "the calls that led here, read from the stack: the innermost N"},
    {"frame",            "f",          SelectFrame,                 _May,  false, _Reads,          false, false, "frame [N]", "show frame N of the backtrace (default the one chosen)"},
    {"up",               "",           FrameUp,                     _May,  false, _Reads,          false, false, "up [N]", "choose the frame N calls out (default 1)"},
    {"down",             "do",         FrameDown,                   _May,  false, _Reads,          false, false, "down [N]", "choose the frame N calls in (default 1)"},
    {"regs",             "",           ShowRegisters,               _No,   false, _Reads,          false, false, "regs", "the register line"},
    {"set",              "",           Set,                         _Must, false, _Changes,        false, false, "set REG = VALUE | set [ADDR] = VALUE", "change the machine; back in the history, this discards what came after"},
    {"input",            "",           Input,                       _Must, false, _Changes,        false, false, "input PORT = VALUE", "IN PORT reads VALUE from now on"},
    {"interrupt",        "",           Interrupt,                   _May,  false, _Changes,        false, false, "interrupt [SOURCE]", "raise TRAP, RST5.5, RST6.5, RST7.5 or INTR:n now; without SOURCE, as info interrupts"},
    {"run",              "r",          Run,                         _May,  false, Effect::Restarts, false, false, "run [MOMENT]", "start again from the first state; with MOMENT, go to that moment"},
    {"help",             "h",          Help,                        _May,  false, _Reads,          false, false, "help [COMMAND]", "list the commands, or say what one does"},
    {"quit",             "q",          Quit,                        _No,   false, _Reads,          false, false, "quit", "end the session"},
};

// info's sub-commands: rows of the same kind.
const CommandRow _InfoCommands[] = {
    {"breakpoints",      "b break watchpoints", ShowBreakpoints,    _No,   false, _Reads,          false, false, "info breakpoints", "the breakpoints and watchpoints, with their hits"},
    {"registers",        "r reg",      ShowRegisters,               _No,   false, _Reads,          false, false, "info registers", "the register line"},
    {"interrupts",       "",           ShowInterrupts,              _No,   false, _Reads,          false, false, "info interrupts", "IE, SID, SOD, and each source's vector, mask and pending state"},
    {"ports",            "",           ShowPorts,                   _No,   false, _Reads,          false, false, "info ports", "what OUT wrote last to each port, and what IN reads"},
    {"record",           "rec",        ShowRecord,                  _No,   false, _Reads,          false, false, "info record", "the moment now, the instructions and T-states, and the moments the history holds"},
    {"line",             "",           ShowLine,                    _May,  false, _Reads,          false, false, "info line [LOCATION]", "the source line at PC or LOCATION and its address"},
    {"frame",            "f",          ShowFrame,                   _No,   false, _Reads,          false, false, "info frame", "the frame chosen"},
    {"display",          "",           ShowDisplays,                _No,   false, _Reads,          false, false, "info display", "what display shows at every stop"},
};
// clang-format on

bool HasAlias(const CommandRow& row, const std::string& word)
{
    const std::string aliases = std::string(" ") + row.Aliases + " ";
    return aliases.find(" " + word + " ") != std::string::npos;
}

// The row of word: a name or alias exactly, else the one name it begins.
template <std::size_t N>
const CommandRow* FindRow(const CommandRow (&rows)[N], const std::string& word, std::string& error)
{
    for (const CommandRow& row : rows) {
        if (word == row.Name || HasAlias(row, word))
            return &row;
    }
    const CommandRow* found = nullptr;
    std::string names;
    for (const CommandRow& row : rows) {
        if (std::string_view(row.Name).starts_with(word)) {
            names += std::string(names.empty() ? "" : ", ") + row.Name;
            found = found ? &rows[N] : &row; // past the end: more than one
        }
    }
    if (found == &rows[N]) {
        error = "'" + word + "' is ambiguous: " + names;
        return nullptr;
    }
    return found;
}

const CommandRow* FindCommand(const std::string& word, std::string& error)
{
    const CommandRow* row = FindRow(_Commands, word, error);
    if (!row && error.empty())
        error = "unknown command '" + word + "' (try 'help')";
    return row;
}

// Checks the row's argument column, then runs it.
bool RunRow(DebugSession& session, const CommandRow& row, const std::string& args, std::string& error)
{
    if (row.Takes == Argument::None && !args.empty()) {
        error = std::string(row.Name) + " takes no argument";
        return false;
    }
    if (row.Takes == Argument::Required && args.empty() && !(session.Prompt.Repeating && row.Repeats)) {
        error = std::string(row.Name) + " needs an argument: " + row.Usage;
        return false;
    }
    return row.Run(session, args, error);
}

bool Info(DebugSession& session, const std::string& args, std::string& error)
{
    const std::size_t space = args.find(' ');
    const std::string word = Lower(args.substr(0, space));
    const std::string rest = space == std::string::npos ? "" : Trim(args.substr(space));
    const CommandRow* row = FindRow(_InfoCommands, word, error);
    if (!row) {
        if (error.empty())
            error = "info what? breakpoints, registers, interrupts, ports, record, line, frame or display";
        return false;
    }
    return RunRow(session, *row, rest, error);
}

bool Save(DebugSession& session, const std::string& args, std::string& error)
{
    const std::size_t space = args.find(' ');
    const std::string word = Lower(args.substr(0, space));
    if (word.empty() || !std::string_view("breakpoints").starts_with(word)) {
        error = "save breakpoints FILE";
        return false;
    }
    return SaveBreakpoints(session, space == std::string::npos ? "" : Trim(args.substr(space)), error);
}

std::string FormatUsage(const CommandRow& row)
{
    std::string aliases = row.Aliases;
    std::replace(aliases.begin(), aliases.end(), ' ', ',');
    return std::string(row.Usage) + (aliases.empty() ? "" : " (" + aliases + ")");
}

bool Help(DebugSession& session, const std::string& args, std::string& error)
{
    if (!args.empty()) {
        const std::string word = Lower(args);
        if (word == "info") {
            for (const CommandRow& row : _InfoCommands) {
                std::string usage = FormatUsage(row);
                usage.resize(std::max<std::size_t>(usage.size() + 1, 37), ' ');
                session.Output += usage + row.Help + "\n";
            }
            return true;
        }
        const CommandRow* row = FindCommand(word, error);
        if (!row) {
            error = "no command '" + args + "'";
            return false;
        }
        session.Output += FormatUsage(*row) + "\n  " + row->Help + "\n";
        return true;
    }
    for (const CommandRow& row : _Commands) {
        std::string usage = row.Usage;
        usage.resize(std::max<std::size_t>(usage.size() + 1, 37), ' ');
        session.Output += usage + row.Help + "\n";
    }
    session.Output += "'help COMMAND' gives its other names; any unique beginning of a name works (fin, disas, i r).\n"
                      "An empty line repeats a motion, x and list. Numbers are decimal, or hexadecimal with H (2050H).\n";
    return true;
}

// Runs one line; the dispatcher of RunDebugCommand and of source.
bool RunLine(DebugSession& session, const std::string& line, std::string& error);

bool Source(DebugSession& session, const std::string& args, std::string& error)
{
    if (!session.Files.Read) {
        error = "no files here";
        return false;
    }
    if (session.Prompt.Depth >= _MostNesting) {
        error = "source: nested more than " + std::to_string(_MostNesting) + " deep";
        return false;
    }
    std::string text;
    if (!session.Files.Read(args, text, error))
        return false;
    ++session.Prompt.Depth;
    std::size_t at = 0;
    int lineNumber = 0;
    bool ok = true;
    while (at < text.size() && ok && !session.Prompt.Quit) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string line = Trim(std::string_view(text).substr(at, end - at));
        at = end + 1;
        ++lineNumber;
        if (line.empty() || line[0] == '#')
            continue;
        std::string lineError;
        if (!RunLine(session, line, lineError)) {
            error = args + ":" + std::to_string(lineNumber) + ": " + lineError;
            ok = false;
        }
    }
    --session.Prompt.Depth;
    return ok;
}

// The commands of the breakpoint just stopped at.
void RunBreakCommands(DebugSession& session)
{
    const DebugBreak* b = FindBreak(session, session.Stops.LastHit);
    if (!b || b->Commands.empty() || session.Prompt.Depth >= _MostNesting)
        return;
    const std::vector<std::string> commands = b->Commands;
    ++session.Prompt.Depth;
    for (const std::string& command : commands) {
        std::string error;
        if (!RunLine(session, command, error)) {
            session.Output += error + "\n";
            break;
        }
        if (session.Prompt.Quit)
            break;
    }
    --session.Prompt.Depth;
}

bool RunLine(DebugSession& session, const std::string& line, std::string& error)
{
    if (session.Prompt.CommandsFor != 0) {
        if (line.empty())
            return true;
        auto* b = const_cast<DebugBreak*>(FindBreak(session, session.Prompt.CommandsFor));
        if (Lower(line) == "end" || !b)
            session.Prompt.CommandsFor = 0;
        else
            b->Commands.push_back(line);
        return true;
    }
    if (line.empty())
        return true;
    std::size_t space = line.find_first_of(" \t");
    std::string word = Lower(line.substr(0, space));
    std::string args = space == std::string::npos ? "" : Trim(line.substr(space));
    const std::size_t slash = word.find('/');
    if (slash != std::string::npos && slash > 0) {
        args = word.substr(slash) + (args.empty() ? "" : " " + args);
        word.resize(slash);
    }
    const CommandRow* row = FindCommand(word, error);
    if (!row)
        return false;
    if (!row->TakesFormat && !args.empty() && args[0] == '/') {
        error = std::string(row->Name) + " takes no /FMT";
        return false;
    }
    if (!RunRow(session, *row, args, error))
        return false;
    if (row->Does == Effect::Changes && !args.empty())
        AddCut(session, NoteMachineChanged(session));
    if (!row->KeepsList)
        session.Prompt.ListNextLine = 0;
    if (row->Does == Effect::Moves && session.Prompt.LastStop == StopKind::Breakpoint)
        RunBreakCommands(session);
    if (session.Prompt.Depth == 0)
        session.Prompt.LastCommand = row->Repeats ? line : "";
    return true;
}

} // namespace

void ShowStop(DebugSession& session, const StopReport& report)
{
    std::string& out = session.Output;
    DebugPrompt& prompt = session.Prompt;
    if (!out.empty() && out.back() != '\n')
        out += '\n';
    if (!report.Reason.empty())
        out += report.Reason + "\n";
    out += FormatLocationLine(session);
    const CpuState& cpu = session.Now.Cpu;
    const bool mark = prompt.MarkChanges && prompt.LastShown;
    out += FormatRegisterLine(cpu, mark ? prompt.LastShown.get() : nullptr);
    out += FormatDisplays(session);
    prompt.LastWrite = -1;
    if (prompt.LastShown) {
        for (unsigned address = 0; address < 65536; ++address) {
            if (prompt.LastShown->Memory[address] != cpu.Memory[address]) {
                prompt.LastWrite = static_cast<int>(address);
                break;
            }
        }
    } else {
        prompt.LastShown = std::make_unique<CpuState>();
    }
    *prompt.LastShown = cpu;
    prompt.LastStop = report.Kind;
    if (report.Kind != StopKind::Breakpoint)
        session.Stops.LastHit = 0;
    prompt.LastStopText = report.Reason;
    prompt.ListNextLine = 0;
    prompt.Frame = 0;
}

bool ReadCount(const DebugSession& session, const std::string& args, std::uint64_t& count, std::string& error)
{
    count = 1;
    if (args.empty())
        return true;
    if (std::all_of(args.begin(), args.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }) &&
        args.size() < 19) {
        count = std::stoull(args);
        if (count == 0)
            error = "the count must be 1 or more";
        return count != 0;
    }
    ExprValue value;
    if (!EvaluateExpression(session, args, value, error))
        return false;
    if (value.Value < 1) {
        error = "the count must be 1 or more";
        return false;
    }
    count = static_cast<std::uint64_t>(value.Value);
    return true;
}

bool ReadAddress(const DebugSession& session, const std::string& text, std::uint16_t& address, std::string& error)
{
    ExprValue value;
    if (!EvaluateExpression(session, text, value, error))
        return false;
    if (value.Value < 0 || value.Value > 0xFFFF) {
        error = "'" + text + "' is not an address 0-FFFFH";
        return false;
    }
    address = static_cast<std::uint16_t>(value.Value);
    return true;
}

std::string TakeFormat(std::string& args)
{
    if (args.empty() || args[0] != '/')
        return "";
    const std::size_t space = args.find(' ');
    const std::string format = args.substr(1, space == std::string::npos ? std::string::npos : space - 1);
    args = space == std::string::npos ? "" : Trim(args.substr(space));
    return format;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::vector<std::string> CompleteDebugWord(const DebugSession& session, std::string_view lineBefore,
                                           std::string_view typed)
{
    std::vector<std::string> words;
    const std::string word = Lower(std::string(typed));
    const std::string before = Lower(Trim(lineBefore));
    const auto add = [&](const std::string& candidate) {
        if (Lower(candidate).starts_with(word))
            words.push_back(candidate);
    };
    if (before.empty()) {
        for (const CommandRow& row : _Commands)
            add(row.Name);
    } else if (std::string error; before.find(' ') == std::string::npos && FindCommand(before, error) &&
                                  FindCommand(before, error)->Run == Info) {
        for (const CommandRow& row : _InfoCommands)
            add(row.Name);
    } else if (word.starts_with("$")) {
        for (const RegisterInfo& row : ListRegisters())
            add("$" + Lower(row.Name));
    } else if (session.HasMap) {
        for (const MappedLabel& label : session.Map.Labels)
            add(label.Name);
    }
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    return words;
}

std::string FormatStopLines(DebugSession& session)
{
    session.Output.clear();
    ShowStop(session, {StopKind::None, ""});
    return session.Output;
}

std::string StartText(DebugSession& session)
{
    return FormatStopLines(session);
}

void SetDebugSourceMap(DebugSession& session, SourceMap map)
{
    session.Map = std::move(map);
    session.HasMap = true;
    session.Places = FindProgramPlaces(session.Map);
    session.Places.Map = &session.Map;
    if (session.Options.Cpm)
        AddCpmPlaces(session.Places);
    RebuildBreakTable(session);
}

CommandResult RunDebugCommand(DebugSession& session, std::string_view typed)
{
    std::string line = Trim(typed);
    CommandResult result;
    session.Output.clear();
    session.Prompt.Repeating = line.empty() && session.Prompt.CommandsFor == 0;
    if (session.Prompt.Repeating)
        line = session.Prompt.LastCommand;
    if (line.empty() && session.Prompt.CommandsFor == 0)
        return result;
    std::string error;
    const bool ok = RunLine(session, line, error);
    session.Prompt.Repeating = false;
    if (ok) {
        result.Text = session.Output;
        return result;
    }
    result.Text = session.Output + error + "\n";
    result.Refused = true;
    return result;
}

bool ContinueSlice(DebugSession& session, std::uint64_t count, std::string& text)
{
    session.Output.clear();
    const StopReport report = ContinueForward(session, CountSteps(session.Now) + count);
    if (report.Kind == StopKind::None) {
        text = session.Output;
        return false;
    }
    ShowStop(session, report);
    text = session.Output;
    return true;
}
