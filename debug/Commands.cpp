// The command interpreter: one row per command, each handler checking its
// arguments fully before it changes anything, so that a refused command
// changes nothing.
#include "DebugSession.h"

#include "Display.h"
#include "Expression.h"
#include "Interrupts.h"
#include "Motion.h"
#include "Simulation.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

constexpr unsigned _DefaultDumpBytes = 16;
constexpr unsigned _DefaultDisassembly = 8;
constexpr int _ListLines = 10;

// A handler appends what it prints to session.Output; on a refusal it sets
// error instead and changes nothing.
using Handler = bool (*)(DebugSession& session, const std::string& args, std::string& error);

struct CommandRow {
    const char* Name;
    const char* Short; // "" when none
    Handler Run;
    const char* Usage;
    const char* Help;
};

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

void ShowStop(DebugSession& session, const StopReport& report)
{
    std::string& out = session.Output;
    if (!out.empty() && out.back() != '\n')
        out += '\n';
    if (!report.Reason.empty())
        out += report.Reason + "\n";
    out += FormatLocationLine(session);
    const CpuState& cpu = session.Now.Cpu;
    const bool mark = session.MarkChanges && session.LastShown;
    out += FormatRegisterLine(cpu, mark ? session.LastShown.get() : nullptr);
    session.LastWrite = -1;
    if (session.LastShown) {
        for (unsigned address = 0; address < 65536; ++address) {
            if (session.LastShown->Memory[address] != cpu.Memory[address]) {
                session.LastWrite = static_cast<int>(address);
                break;
            }
        }
    } else {
        session.LastShown = std::make_unique<CpuState>();
    }
    *session.LastShown = cpu;
    session.LastStop = report.Kind;
    session.LastStopText = report.Reason;
    session.ListNextLine = 0;
}

// COUNT: a positive number, 1 when absent.
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
bool MoveOnce(DebugSession& session, const std::string& args, std::string& error)
{
    if (!args.empty()) {
        error = "this command takes no argument";
        return false;
    }
    ShowStop(session, Move(session));
    return true;
}

StopReport ContinueToStop(DebugSession& session)
{
    return ContinueForward(session, UINT64_MAX);
}

bool AddBreakpoint(DebugSession& session, const std::string& args, std::string& error, bool temporary)
{
    std::string location = args;
    std::string condition;
    const std::size_t at = (" " + args + " ").find(" if ");
    if (at != std::string::npos) {
        location = Trim(args.substr(0, at));
        condition = Trim(args.substr(std::min(args.size(), at + 3)));
        if (condition.empty()) {
            error = "'if' needs a condition";
            return false;
        }
        ExprValue value;
        if (!EvaluateExpression(session, condition, value, error))
            return false;
    }
    std::uint16_t address = session.Now.Cpu.PC;
    if (!location.empty() && !ResolveLocation(session, location, address, error))
        return false;
    DebugBreak b;
    b.Number = session.NextBreakNumber++;
    b.Temporary = temporary;
    b.Address = address;
    b.Condition = condition;
    b.Text = location;
    session.Breaks.push_back(b);
    RebuildBreakTable(session);
    session.Output += std::string(temporary ? "temporary breakpoint " : "breakpoint ") + std::to_string(b.Number) +
                      " at " + DescribeAddress(session.Map, address, true) + (condition.empty() ? "" : " if " + condition) + "\n";
    return true;
}

bool Break(DebugSession& session, const std::string& args, std::string& error)
{
    return AddBreakpoint(session, args, error, false);
}

bool TemporaryBreak(DebugSession& session, const std::string& args, std::string& error)
{
    return AddBreakpoint(session, args, error, true);
}

bool Watch(DebugSession& session, const std::string& args, std::string& error)
{
    if (args.empty()) {
        error = "watch what? an address, a range ADDR-ADDR, or a register";
        return false;
    }
    DebugBreak b;
    b.Kind = BreakKind::Watchpoint;
    b.Text = args;
    if (const RegisterInfo* reg = FindRegister(args)) {
        b.Register = reg->Name;
    } else {
        std::string text = args;
        if (text.size() > 2 && text.front() == '[' && text.back() == ']')
            text = Trim(text.substr(1, text.size() - 2));
        const std::size_t dash = text.find('-');
        std::uint16_t from, to;
        if (dash != std::string::npos) {
            if (!ReadAddress(session, Trim(text.substr(0, dash)), from, error) ||
                !ReadAddress(session, Trim(text.substr(dash + 1)), to, error))
                return false;
        } else {
            if (!ReadAddress(session, text, from, error))
                return false;
            to = from;
        }
        if (to < from) {
            error = "the range " + args + " ends before it begins";
            return false;
        }
        b.From = from;
        b.To = to;
    }
    b.Number = session.NextBreakNumber++;
    session.Breaks.push_back(b);
    std::string what = b.Register;
    if (what.empty())
        what = "[" + FormatHex(b.From, 4) + (b.To != b.From ? "-" + FormatHex(b.To, 4) : "") + "]";
    session.Output += "watchpoint " + std::to_string(b.Number) + ": " + what + "\n";
    return true;
}

bool Delete(DebugSession& session, const std::string& args, std::string& error)
{
    if (args.empty()) {
        session.Breaks.clear();
        RebuildBreakTable(session);
        session.Output += "deleted all breakpoints and watchpoints\n";
        return true;
    }
    ExprValue value;
    if (!EvaluateExpression(session, args, value, error))
        return false;
    const auto found = std::find_if(session.Breaks.begin(), session.Breaks.end(),
                                    [&](const DebugBreak& b) { return b.Number == value.Value; });
    if (found == session.Breaks.end()) {
        error = "no breakpoint or watchpoint number " + args;
        return false;
    }
    session.Breaks.erase(found);
    RebuildBreakTable(session);
    return true;
}

std::string FormatBreakList(const DebugSession& session)
{
    if (session.Breaks.empty())
        return "no breakpoints or watchpoints\n";
    std::string text = "Num  Type        Hits  Where\n";
    for (const DebugBreak& b : session.Breaks) {
        const char* type = b.Kind == BreakKind::Watchpoint ? "watchpoint" : b.Temporary ? "tbreak" : "breakpoint";
        std::string where;
        if (b.Kind == BreakKind::Breakpoint) {
            where = DescribeAddress(session.Map, b.Address, true);
            if (!b.Condition.empty())
                where += " if " + b.Condition;
        } else {
            where = b.Register.empty()
                        ? "[" + FormatHex(b.From, 4) + (b.To != b.From ? "-" + FormatHex(b.To, 4) : "") + "]"
                        : b.Register;
        }
        char line[64];
        std::snprintf(line, sizeof line, "%-4d %-11s %4d  ", b.Number, type, b.Hits);
        text += line + where + "\n";
    }
    return text;
}

bool ShowRegisters(DebugSession& session, const std::string& args, std::string& error)
{
    if (!args.empty()) {
        error = "this command takes no argument";
        return false;
    }
    session.Output += FormatRegisterLine(session.Now.Cpu, nullptr);
    return true;
}

bool ShowInfo(DebugSession& session, const std::string& args, std::string& error)
{
    const std::string what = Lower(args);
    if (what == "breakpoints" || what == "b" || what == "break" || what == "watchpoints") {
        session.Output += FormatBreakList(session);
        return true;
    }
    if (what == "registers" || what == "r" || what == "reg")
        return ShowRegisters(session, "", error);
    error = "info what? 'info breakpoints' or 'info registers'";
    return false;
}

bool Print(DebugSession& session, const std::string& args, std::string& error)
{
    ExprValue value;
    if (args.empty()) {
        error = "print what? a register, pair, flag, [ADDR], label or expression";
        return false;
    }
    if (!EvaluateExpression(session, args, value, error))
        return false;
    std::string text = args + " = ";
    if (value.Width == 0) {
        text += std::to_string(value.Value);
    } else {
        const std::uint32_t shown = static_cast<std::uint32_t>(value.Value) & (value.Width == 1 ? 0xFF : 0xFFFF);
        text += FormatHex(shown, value.Width * 2) + " (" + std::to_string(value.Value) + ")";
    }
    session.Output += text + "\n";
    return true;
}

// Splits "ADDR [COUNT]" at the last space outside brackets.
bool ReadAddressAndCount(const DebugSession& session, const std::string& args, std::uint16_t& address, unsigned& count,
                         std::string& error)
{
    std::string addressText = args;
    const std::size_t space = args.find_last_of(' ');
    if (space != std::string::npos && args.find(']', space) == std::string::npos) {
        std::uint64_t n;
        std::string ignored;
        if (ReadCount(session, Trim(args.substr(space + 1)), n, ignored) &&
            std::all_of(args.begin() + static_cast<std::ptrdiff_t>(space) + 1, args.end(),
                        [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
            if (n > 65536) {
                error = "at most 65536 at a time";
                return false;
            }
            count = static_cast<unsigned>(n);
            addressText = Trim(args.substr(0, space));
        }
    }
    return ReadAddress(session, addressText, address, error);
}

bool Examine(DebugSession& session, const std::string& args, std::string& error)
{
    if (args.empty()) {
        error = "x needs an address: x ADDR [COUNT]";
        return false;
    }
    std::uint16_t address;
    unsigned count = _DefaultDumpBytes;
    if (!ReadAddressAndCount(session, args, address, count, error))
        return false;
    session.Output += FormatMemory(session.Now.Cpu.Memory, address, count);
    return true;
}

bool Disassemble(DebugSession& session, const std::string& args, std::string& error)
{
    std::uint16_t address = session.Now.Cpu.PC;
    unsigned count = _DefaultDisassembly;
    if (!args.empty() && !ReadAddressAndCount(session, args, address, count, error))
        return false;
    session.Output += FormatDisassembly(session, address, count);
    return true;
}

bool List(DebugSession& session, const std::string& args, std::string& error)
{
    if (!session.HasMap) {
        std::uint16_t address = session.Now.Cpu.PC;
        if (!args.empty() && !ResolveLocation(session, args, address, error))
            return false;
        session.Output += FormatDisassembly(session, address, _DefaultDisassembly);
        return true;
    }
    const int lines = static_cast<int>(session.Map.SourceLines.size());
    int first;
    if (args.empty() && session.ListNextLine > 0) {
        first = session.ListNextLine;
    } else {
        std::uint16_t address = session.Now.Cpu.PC;
        if (!args.empty() && !ResolveLocation(session, args, address, error))
            return false;
        const int line = std::max(1, FindSourceLine(session.Map, address));
        first = std::max(1, line - _ListLines / 2 + 1);
    }
    if (first > lines) {
        error = "line " + std::to_string(first) + " is past the end of " + session.Map.SourceName;
        return false;
    }
    const int last = std::min(lines, first + _ListLines - 1);
    session.Output += FormatSourceLines(session, first, last);
    session.ListNextLine = last + 1;
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

void SayCut(DebugSession& session, bool cut)
{
    if (cut)
        session.Output += "the history after this point is discarded\n";
}

bool Set(DebugSession& session, const std::string& args, std::string& error)
{
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
        SayCut(session, NoteMachineChanged(session));
        return true;
    }
    const RegisterInfo* reg = FindRegister(left);
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
    SayCut(session, NoteMachineChanged(session));
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
    SayCut(session, NoteMachineChanged(session));
    return true;
}

bool Interrupt(DebugSession& session, const std::string& args, std::string& error)
{
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
        error = "interrupt what? TRAP, RST5.5, RST6.5, RST7.5 or INTR:n (n 0-7)";
        return false;
    }
    if (session.Now.Cpu.Model == CpuModel::I8080 && event.Source != InterruptSource::Intr) {
        error = "the 8080 has no TRAP or RST 5.5, 6.5 and 7.5 inputs, only INTR";
        return false;
    }
    RaiseInterrupt(session.Now.Cpu, event);
    SayCut(session, NoteMachineChanged(session));
    return true;
}

bool Run(DebugSession& session, const std::string& args, std::string& error)
{
    if (!args.empty()) {
        error = "this command takes no argument";
        return false;
    }
    const MachineOptions options = session.Options;
    const CpuState first = session.First.Cpu;
    const std::uint64_t historyBytes = session.HistoryBytes;
    session.HistoryBytes = historyBytes;
    LoadDebugSession(session, first, options);
    ShowStop(session, {StopKind::None, "starting again from the first state"});
    return true;
}

bool Quit(DebugSession& session, const std::string&, std::string&)
{
    session.Quit = true;
    return true;
}

bool Help(DebugSession& session, const std::string& args, std::string& error);

const CommandRow _Commands[] = {
    {"step", "s", MoveCounted<StepForward>, "step [N]", "run N instructions (default 1), into subroutines"},
    {"next", "n", MoveCounted<NextForward>, "next [N]",
     "like step, but a CALL, RST or taken conditional call runs until it returns"},
    {"finish", "", MoveOnce<FinishForward>, "finish", "run until the current subroutine returns"},
    {"continue", "c", MoveOnce<ContinueToStop>, "continue",
     "run until a breakpoint, a watchpoint, HLT, the end of a CP/M program or the step limit"},
    {"reverse-step", "rs", MoveCounted<StepBackward>, "reverse-step [N]",
     "go back N instructions: the machine exactly as it was"},
    {"reverse-next", "rn", MoveCounted<NextBackward>, "reverse-next [N]",
     "like reverse-step, but back over whole subroutine calls"},
    {"reverse-continue", "rc", MoveOnce<ContinueBackward>, "reverse-continue",
     "go back to the last breakpoint or watchpoint hit, or to the start of the history"},
    {"reverse-finish", "", MoveOnce<FinishBackward>, "reverse-finish", "go back to the call of the current subroutine"},
    {"break", "b", Break, "break [LOCATION] [if EXPR]",
     "stop before LOCATION: a label (LOOP), a source line (12, prog.asm:12) or an address (2010H); "
     "with 'if', only when EXPR holds (B == 0, [2050H] > 7)"},
    {"tbreak", "", TemporaryBreak, "tbreak [LOCATION] [if EXPR]", "a breakpoint deleted when first hit"},
    {"delete", "d", Delete, "delete [N]", "delete breakpoint or watchpoint N, or all of them"},
    {"watch", "", Watch, "watch ADDR[-ADDR] | watch REG",
     "stop after an instruction changes that memory or register, showing old and new value"},
    {"info", "", ShowInfo, "info breakpoints | info registers", "list breakpoints and watchpoints, or the registers"},
    {"regs", "", ShowRegisters, "regs", "the register line"},
    {"print", "p", Print, "print EXPR",
     "a register, pair, flag, [ADDR] memory byte, label, or a +/- expression of these"},
    {"x", "", Examine, "x ADDR [COUNT]", "COUNT bytes of memory (default 16) as hexadecimal and characters"},
    {"set", "", Set, "set REG = VALUE | set [ADDR] = VALUE",
     "change the machine; back in the history, this discards what came after"},
    {"list", "l", List, "list [LOCATION]", "source lines around PC or LOCATION; again: the next lines"},
    {"disassemble", "", Disassemble, "disassemble [ADDR [COUNT]]", "COUNT instructions (default 8) from ADDR or PC"},
    {"input", "", Input, "input PORT = VALUE", "IN PORT reads VALUE from now on"},
    {"interrupt", "", Interrupt, "interrupt SOURCE", "raise TRAP, RST5.5, RST6.5, RST7.5 or INTR:n now"},
    {"run", "", Run, "run", "start again from the first state"},
    {"help", "h", Help, "help [COMMAND]", "list the commands, or say what one does"},
    {"quit", "q", Quit, "quit", "end the session"},
};

const CommandRow* FindCommand(const std::string& word)
{
    for (const CommandRow& row : _Commands) {
        if (word == row.Name || (row.Short[0] != '\0' && word == row.Short))
            return &row;
    }
    if (word == "si" || word == "stepi")
        return &_Commands[0];
    if (word == "ni" || word == "nexti")
        return &_Commands[1];
    return nullptr;
}

bool Help(DebugSession& session, const std::string& args, std::string& error)
{
    if (!args.empty()) {
        const CommandRow* row = FindCommand(Lower(args));
        if (!row) {
            error = "no command '" + args + "'";
            return false;
        }
        session.Output += std::string(row->Usage) + (row->Short[0] ? std::string(" (") + row->Short + ")" : "") +
                          "\n  " + row->Help + "\n";
        return true;
    }
    for (const CommandRow& row : _Commands) {
        std::string usage = row.Usage;
        usage.resize(std::max<std::size_t>(usage.size() + 1, 37), ' ');
        session.Output += usage + row.Help + "\n";
    }
    session.Output += "An empty line repeats the last command. Numbers are decimal, or hexadecimal with H (2050H).\n";
    return true;
}

} // namespace

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
    if (line.empty())
        line = session.LastCommand;
    CommandResult result;
    session.Output.clear();
    if (line.empty())
        return result;
    const std::size_t space = line.find_first_of(" \t");
    const std::string word = Lower(line.substr(0, space));
    const std::string args = space == std::string::npos ? "" : Trim(line.substr(space));
    const CommandRow* row = FindCommand(word);
    std::string error;
    if (!row) {
        error = "unknown command '" + word + "' (try 'help')";
    } else if (row->Run(session, args, error)) {
        session.LastCommand = line;
        if (row->Run != List)
            session.ListNextLine = 0;
        result.Text = session.Output;
        return result;
    }
    session.Output.clear();
    result.Text = error + "\n";
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
