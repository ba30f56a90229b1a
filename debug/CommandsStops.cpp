// Breakpoints and watchpoints: setting, listing, changing and saving them.
#include "CommandParts.h"

#include "Registers.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

std::string DescribeWatched(const DebugBreak& b)
{
    if (!b.Register.empty())
        return b.Register;
    return "[" + FormatHex(b.From, 4) + (b.To != b.From ? "-" + FormatHex(b.To, 4) : "") + "]";
}

std::string WatchName(WatchKind kind)
{
    return kind == WatchKind::Write ? "watchpoint" : kind == WatchKind::Read ? "read watchpoint" : "access watchpoint";
}

const char* WatchCommand(WatchKind kind)
{
    return kind == WatchKind::Write ? "watch " : kind == WatchKind::Read ? "rwatch " : "awatch ";
}

bool IsPlainName(const std::string& text)
{
    return !text.empty() && !std::isdigit(static_cast<unsigned char>(text[0])) &&
           std::all_of(text.begin(), text.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '?' || c == '@' || c == '.' ||
                      c == '$';
           });
}

// N, several of them, or $bpnum (the breakpoint or watchpoint set last).
bool ReadBreakNumbers(const DebugSession& session, const std::string& args, std::vector<int>& numbers,
                      std::string& error)
{
    std::size_t at = 0;
    while (at < args.size()) {
        const std::size_t end = std::min(args.find(' ', at), args.size());
        const std::string word = args.substr(at, end - at);
        at = end + 1;
        if (word.empty())
            continue;
        int number = 0;
        if (Lower(word) == "$bpnum") {
            number = session.Stops.NextBreakNumber - 1;
        } else {
            ExprValue value;
            if (!EvaluateExpression(session, word, value, error))
                return false;
            number = static_cast<int>(std::clamp<std::int64_t>(value.Value, -1, 1 << 30));
        }
        if (!FindBreak(session, number)) {
            error = "no breakpoint or watchpoint number " + word;
            return false;
        }
        numbers.push_back(number);
    }
    return true;
}

DebugBreak* FindBreakToChange(DebugSession& session, int number)
{
    return const_cast<DebugBreak*>(FindBreak(session, number));
}

// Splits "N REST" (N a breakpoint number or $bpnum).
bool ReadNumberAndRest(const DebugSession& session, const std::string& args, int& number, std::string& rest,
                       std::string& error, const char* usage)
{
    const std::size_t space = args.find(' ');
    std::vector<int> numbers;
    if (args.empty()) {
        error = usage;
        return false;
    }
    if (!ReadBreakNumbers(session, args.substr(0, space), numbers, error))
        return false;
    number = numbers[0];
    rest = space == std::string::npos ? "" : Trim(args.substr(space + 1));
    return true;
}

bool SetEnabled(DebugSession& session, const std::string& args, std::string& error, bool enabled)
{
    std::vector<int> numbers;
    if (!ReadBreakNumbers(session, args, numbers, error))
        return false;
    for (DebugBreak& b : session.Stops.Breaks) {
        if (args.empty() || std::find(numbers.begin(), numbers.end(), b.Number) != numbers.end())
            b.Enabled = enabled;
    }
    RebuildBreakTable(session);
    return true;
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
    std::string notes;
    if (!location.empty() && !ResolveLocation(session, location, address, error, &notes))
        return false;
    DebugBreak b;
    b.Number = session.Stops.NextBreakNumber++;
    b.Temporary = temporary;
    b.Address = address;
    b.Condition = condition;
    b.Text = location.empty() ? FormatHex(address, 4) : location;
    session.Stops.Breaks.push_back(b);
    RebuildBreakTable(session);
    session.Output += notes + (temporary ? "temporary breakpoint " : "breakpoint ") + std::to_string(b.Number) +
                      " at " + DescribeAddress(session.Map, address, true) + (condition.empty() ? "" : " if " + condition) +
                      "\n";
    return true;
}

} // namespace

const DebugBreak* FindBreak(const DebugSession& session, int number)
{
    for (const DebugBreak& b : session.Stops.Breaks) {
        if (b.Number == number)
            return &b;
    }
    return nullptr;
}

bool Break(DebugSession& session, const std::string& args, std::string& error)
{
    return AddBreakpoint(session, args, error, false);
}

bool TemporaryBreak(DebugSession& session, const std::string& args, std::string& error)
{
    return AddBreakpoint(session, args, error, true);
}

namespace {

// watch REG, watch $REG, watch M (the byte HL points at now), watch [EXPR]
// or watch EXPR (the byte there), watch FROM-TO (a range); rwatch and
// awatch take memory only.
bool AddWatchpoint(DebugSession& session, const std::string& args, std::string& error, WatchKind kind)
{
    if (args.empty()) {
        error = "watch what? a register, an address, [EXPR], or a range FROM-TO";
        return false;
    }
    DebugBreak b;
    b.Kind = BreakKind::Watchpoint;
    b.Text = args;
    std::string notes;
    const bool dollar = args[0] == '$';
    const std::string name = dollar ? args.substr(1) : args;
    const RegisterInfo* reg = IsPlainName(args) ? FindRegister(name) : nullptr;
    const bool isRegister = reg && HasRegister(*reg, session.Now.Cpu.Model);
    const MappedLabel* label = dollar ? nullptr : FindLabel(session, args);
    if (isRegister && !label && kind != WatchKind::Write) {
        error = "every instruction reads the registers: rwatch and awatch take memory";
        return false;
    } else if (isRegister && !label) {
        b.Register = reg->Name;
    } else if (dollar && !isRegister) {
        error = "no register or flag named '" + args + "' to watch";
        return false;
    } else if (!label && Lower(args) == "m") {
        const CpuState& cpu = session.Now.Cpu;
        b.From = b.To = static_cast<std::uint16_t>((cpu.H << 8) | cpu.L);
        notes = "note: M is the byte HL points at now; the watchpoint stays on " + FormatHex(b.From, 4) + "\n";
    } else {
        std::string text = args;
        const bool bracketed = text.size() > 2 && text.front() == '[' && text.back() == ']';
        if (bracketed)
            text = Trim(text.substr(1, text.size() - 2));
        const std::size_t dash = text.find('-');
        std::uint16_t from, to;
        if (!bracketed && dash != std::string::npos && dash > 0) {
            if (!ReadAddress(session, Trim(text.substr(0, dash)), from, error) ||
                !ReadAddress(session, Trim(text.substr(dash + 1)), to, error))
                return false;
        } else {
            ExprValue value;
            if (!EvaluateExpression(session, text, value, error, &notes))
                return false;
            if (!bracketed && !label && IsPlainName(text)) {
                error = "'" + args + "' is not memory or a register: print and display show it";
                return false;
            }
            if (value.Value < 0 || value.Value > 0xFFFF) {
                error = "'" + text + "' is not an address 0-FFFFH";
                return false;
            }
            from = to = static_cast<std::uint16_t>(value.Value);
        }
        if (to < from) {
            error = "the range " + args + " ends before it begins";
            return false;
        }
        b.From = from;
        b.To = to;
    }
    b.Watches = kind;
    b.Number = session.Stops.NextBreakNumber++;
    session.Stops.Breaks.push_back(b);
    session.Output += notes + WatchName(kind) + " " + std::to_string(b.Number) + ": " + DescribeWatched(b) + "\n";
    return true;
}

} // namespace

bool Watch(DebugSession& session, const std::string& args, std::string& error)
{
    return AddWatchpoint(session, args, error, WatchKind::Write);
}

bool ReadWatch(DebugSession& session, const std::string& args, std::string& error)
{
    return AddWatchpoint(session, args, error, WatchKind::Read);
}

bool AccessWatch(DebugSession& session, const std::string& args, std::string& error)
{
    return AddWatchpoint(session, args, error, WatchKind::Access);
}

bool Delete(DebugSession& session, const std::string& args, std::string& error)
{
    if (args.empty()) {
        session.Stops.Breaks.clear();
        RebuildBreakTable(session);
        session.Output += "deleted all breakpoints and watchpoints\n";
        return true;
    }
    std::vector<int> numbers;
    if (!ReadBreakNumbers(session, args, numbers, error))
        return false;
    std::erase_if(session.Stops.Breaks, [&](const DebugBreak& b) {
        return std::find(numbers.begin(), numbers.end(), b.Number) != numbers.end();
    });
    RebuildBreakTable(session);
    return true;
}

bool Clear(DebugSession& session, const std::string& args, std::string& error)
{
    std::uint16_t address = session.Now.Cpu.PC;
    if (!args.empty() && !ResolveLocation(session, args, address, error))
        return false;
    std::string numbers;
    std::erase_if(session.Stops.Breaks, [&](const DebugBreak& b) {
        if (b.Kind != BreakKind::Breakpoint || b.Address != address)
            return false;
        numbers += (numbers.empty() ? "" : " ") + std::to_string(b.Number);
        return true;
    });
    if (numbers.empty()) {
        error = "no breakpoint at " + DescribeAddress(session.Map, address, true);
        return false;
    }
    RebuildBreakTable(session);
    session.Output += "deleted breakpoint" + std::string(numbers.find(' ') != std::string::npos ? "s " : " ") +
                      numbers + "\n";
    return true;
}

bool Enable(DebugSession& session, const std::string& args, std::string& error)
{
    return SetEnabled(session, args, error, true);
}

bool Disable(DebugSession& session, const std::string& args, std::string& error)
{
    return SetEnabled(session, args, error, false);
}

bool Condition(DebugSession& session, const std::string& args, std::string& error)
{
    int number;
    std::string condition;
    if (!ReadNumberAndRest(session, args, number, condition, error, "condition N [EXPR]"))
        return false;
    DebugBreak& b = *FindBreakToChange(session, number);
    if (b.Kind != BreakKind::Breakpoint) {
        error = "watchpoint " + std::to_string(number) + " takes no condition";
        return false;
    }
    if (!condition.empty()) {
        ExprValue value;
        if (!EvaluateExpression(session, condition, value, error))
            return false;
    }
    b.Condition = condition;
    session.Output += condition.empty() ? "breakpoint " + std::to_string(number) + " is now unconditional\n" : "";
    return true;
}

bool Ignore(DebugSession& session, const std::string& args, std::string& error)
{
    int number;
    std::string countText;
    if (!ReadNumberAndRest(session, args, number, countText, error, "ignore N COUNT"))
        return false;
    ExprValue count;
    if (countText.empty()) {
        error = "ignore N COUNT";
        return false;
    }
    if (!EvaluateExpression(session, countText, count, error))
        return false;
    if (count.Value < 0 || count.Value > 1 << 30) {
        error = "the count must be 0 or more";
        return false;
    }
    DebugBreak& b = *FindBreakToChange(session, number);
    if (b.Kind != BreakKind::Breakpoint) {
        error = "watchpoint " + std::to_string(number) + " cannot be ignored";
        return false;
    }
    b.Ignore = static_cast<int>(count.Value);
    session.Output += count.Value == 0 ? "breakpoint " + std::to_string(number) + " stops at its next hit\n"
                                       : "breakpoint " + std::to_string(number) + " passes its next " +
                                             std::to_string(count.Value) + " hit" + (count.Value == 1 ? "" : "s") +
                                             "\n";
    return true;
}

bool Commands(DebugSession& session, const std::string& args, std::string& error)
{
    std::vector<int> numbers;
    if (!ReadBreakNumbers(session, args.empty() ? "$bpnum" : args, numbers, error))
        return false;
    if (numbers.size() != 1) {
        error = "commands N: one breakpoint at a time";
        return false;
    }
    FindBreakToChange(session, numbers[0])->Commands.clear();
    session.Prompt.CommandsFor = numbers[0];
    session.Output += "commands for " + std::to_string(numbers[0]) + ", one a line, then end:\n";
    return true;
}

// The commands that set the breakpoints and watchpoints again, as source reads them.
std::string FormatBreakCommands(const DebugSession& session)
{
    std::string text;
    for (const DebugBreak& b : session.Stops.Breaks) {
        // A watchpoint as resolved when set: M and [HL-1] name where HL pointed then.
        if (b.Kind == BreakKind::Watchpoint && !b.Register.empty())
            text += "watch $" + Lower(b.Register) + "\n";
        else if (b.Kind == BreakKind::Watchpoint)
            text += WatchCommand(b.Watches) + FormatHex(b.From, 4) + (b.To != b.From ? "-" + FormatHex(b.To, 4) : "") +
                    "\n";
        else
            text += (b.Temporary ? "tbreak " : "break ") + b.Text +
                    (b.Condition.empty() ? "" : " if " + b.Condition) + "\n";
        if (!b.Enabled)
            text += "disable $bpnum\n";
        if (b.Ignore > 0)
            text += "ignore $bpnum " + std::to_string(b.Ignore) + "\n";
        if (!b.Commands.empty()) {
            text += "commands\n";
            for (const std::string& line : b.Commands)
                text += "  " + line + "\n";
            text += "end\n";
        }
    }
    return text;
}

bool SaveBreakpoints(DebugSession& session, const std::string& args, std::string& error)
{
    if (args.empty()) {
        error = "save breakpoints FILE";
        return false;
    }
    if (!session.Files.Write) {
        error = "no files here: 'info breakpoints' lists them";
        return false;
    }
    if (!session.Files.Write(args, FormatBreakCommands(session), error))
        return false;
    session.Output += "saved " + std::to_string(session.Stops.Breaks.size()) + " to " + args + "\n";
    return true;
}

bool ShowBreakpoints(DebugSession& session, const std::string&, std::string&)
{
    if (session.Stops.Breaks.empty()) {
        session.Output += "no breakpoints or watchpoints\n";
        return true;
    }
    std::string text = "Num  Type        Hits  Where\n";
    for (const DebugBreak& b : session.Stops.Breaks) {
        const char* type = b.Kind == BreakKind::Breakpoint ? (b.Temporary ? "tbreak" : "breakpoint")
                           : b.Watches == WatchKind::Write ? "watchpoint"
                           : b.Watches == WatchKind::Read  ? "rwatch"
                                                           : "awatch";
        std::string where;
        if (b.Kind == BreakKind::Breakpoint) {
            where = DescribeAddress(session.Map, b.Address, true);
            if (!b.Condition.empty())
                where += " if " + b.Condition;
        } else {
            where = DescribeWatched(b);
        }
        if (!b.Enabled)
            where += " (disabled)";
        if (b.Ignore > 0)
            where += " (passes " + std::to_string(b.Ignore) + " more)";
        char line[64];
        std::snprintf(line, sizeof line, "%-4d %-11s %4d  ", b.Number, type, b.Hits);
        text += line + where + "\n";
        for (const std::string& command : b.Commands)
            text += "                        " + command + "\n";
    }
    session.Output += text;
    return true;
}
