// Looking at the machine: print, x, display, disassemble, list, the info
// commands, and the call stack.
#include "CommandParts.h"

#include "Display.h"
#include "InstructionSet.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

constexpr unsigned _DefaultDumpBytes = 16;
constexpr unsigned _DefaultDisassembly = 8;
constexpr int _ListLines = 10;
constexpr unsigned _ItemsPerLine = 8;  // x/FMT
constexpr unsigned _StackWords = 128;  // backtrace reads this far up the stack
constexpr int _MostFrames = 64;

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

std::string FormatItem(std::uint32_t value, char format, int bytes)
{
    char text[32];
    switch (format) {
    case 'd':
        std::snprintf(text, sizeof text, "%d",
                      bytes == 1 ? static_cast<int>(static_cast<std::int8_t>(value))
                                 : static_cast<int>(static_cast<std::int16_t>(value)));
        return text;
    case 'u': return std::to_string(value);
    case 't': {
        std::string bits;
        for (int bit = bytes * 8 - 1; bit >= 0; --bit)
            bits += (value >> bit) & 1 ? '1' : '0';
        return bits;
    }
    case 'c':
        if (value >= 0x20 && value <= 0x7E)
            return std::string("'") + static_cast<char>(value) + "'";
        std::snprintf(text, sizeof text, "'\\x%02X'", value & 0xFF);
        return text;
    default: std::snprintf(text, sizeof text, "%0*X", bytes * 2, value); return text;
    }
}

bool IsCallOpcode(CpuModel model, std::uint8_t opcode, int& size)
{
    const InstructionInfo& info = DescribeOpcode(model, opcode);
    size = info.Size;
    return info.Control == ControlKind::Call || info.Control == ControlKind::Restart;
}

struct Frame {
    std::uint16_t Pc = 0;       // frame 0: PC; above: the call that made the frame below
    std::uint16_t StackAt = 0;  // where its return address is, frames above 0
};

// The frames: PC, then every word up the stack that is the address right
// after a CALL, a conditional call or an RST in memory now.
std::vector<Frame> FindFrames(const DebugSession& session)
{
    const CpuState& cpu = session.Now.Cpu;
    std::vector<Frame> frames{{cpu.PC, cpu.SP}};
    for (unsigned i = 0; i < _StackWords && static_cast<int>(frames.size()) < _MostFrames; ++i) {
        const unsigned at = cpu.SP + 2u * i;
        if (at + 1 > 0xFFFF)
            break;
        const auto back = static_cast<std::uint16_t>(cpu.Memory[at] | (cpu.Memory[at + 1] << 8));
        for (int size : {3, 1}) {
            const auto call = static_cast<std::uint16_t>(back - size);
            int callSize;
            if (IsCallOpcode(cpu.Model, cpu.Memory[call], callSize) && callSize == size) {
                frames.push_back({call, static_cast<std::uint16_t>(at)});
                break;
            }
        }
    }
    return frames;
}

// The label at or before address, "" when none.
std::string FindRoutine(const DebugSession& session, std::uint16_t address)
{
    const MappedLabel* best = nullptr;
    if (session.HasMap) {
        for (const MappedLabel& label : session.Map.Labels) {
            if (label.Address <= address && (!best || label.Address > best->Address))
                best = &label;
        }
    }
    return best ? best->Name : "";
}

std::string FormatFrame(const DebugSession& session, const std::vector<Frame>& frames, int number)
{
    const CpuState& cpu = session.Now.Cpu;
    const Frame& frame = frames[static_cast<std::size_t>(number)];
    std::string text = "#" + std::to_string(number) + "  " + DescribeAddress(session.Map, frame.Pc, true);
    const std::string routine = FindRoutine(session, frame.Pc);
    if (!routine.empty() && FindLabel(session, routine)->Address != frame.Pc)
        text += " in " + routine;
    const std::uint8_t bytes[3] = {cpu.Memory[frame.Pc], cpu.Memory[static_cast<std::uint16_t>(frame.Pc + 1)],
                                   cpu.Memory[static_cast<std::uint16_t>(frame.Pc + 2)]};
    text += ": " + FormatInstruction(cpu.Model, bytes);
    if (number > 0)
        text += "  (returns to the word at " + FormatHex(frame.StackAt, 4) + ")";
    return text + "\n";
}

bool ShowChosenFrame(DebugSession& session, int number, std::string& error)
{
    const std::vector<Frame> frames = FindFrames(session);
    if (number < 0 || number >= static_cast<int>(frames.size())) {
        error = number < 0 ? "already at the innermost frame, #0"
                           : "no frame #" + std::to_string(number) + ": the outermost is #" +
                                 std::to_string(frames.size() - 1);
        return false;
    }
    session.Prompt.Frame = number;
    session.Output += FormatFrame(session, frames, number);
    const int line = FindSourceLine(session.Map, frames[static_cast<std::size_t>(number)].Pc);
    if (line != 0 && line <= static_cast<int>(session.Map.SourceLines.size()))
        session.Output += session.Map.SourceName + ":" + std::to_string(line) + ": " +
                          session.Map.SourceLines[static_cast<std::size_t>(line - 1)] + "\n";
    return true;
}

bool MoveFrame(DebugSession& session, const std::string& args, std::string& error, int direction)
{
    std::uint64_t count;
    if (!ReadCount(session, args, count, error))
        return false;
    return ShowChosenFrame(session, session.Prompt.Frame + direction * static_cast<int>(std::min<std::uint64_t>(count, 1000)),
                           error);
}

} // namespace

bool FormatValue(const ExprValue& value, char format, std::string& text, std::string& error)
{
    if (format == 0) {
        if (value.Width == 0) {
            text = std::to_string(value.Value);
        } else {
            const std::uint32_t shown = static_cast<std::uint32_t>(value.Value) & (value.Width == 1 ? 0xFF : 0xFFFF);
            text = FormatHex(shown, value.Width * 2) + " (" + std::to_string(value.Value) + ")";
        }
        return true;
    }
    const int bytes = value.Width == 2 || value.Value > 0xFF || value.Value < -128 ? 2 : 1;
    const std::uint32_t shown = static_cast<std::uint32_t>(value.Value) & (bytes == 1 ? 0xFF : 0xFFFF);
    switch (format) {
    case 'x': text = FormatHex(shown, bytes * 2); return true;
    case 'd':
    case 'u':
    case 'c': text = FormatItem(shown, format, bytes); return true;
    case 't': text = value.Width == 0 ? std::to_string(value.Value) : FormatItem(shown, 't', bytes); return true;
    default: break;
    }
    error = std::string("no format '") + format + "': x hexadecimal, d signed, u unsigned, t binary, c character";
    return false;
}

bool Print(DebugSession& session, const std::string& typed, std::string& error)
{
    std::string args = typed;
    const std::string format = TakeFormat(args);
    if (format.size() > 1) {
        error = "print/FMT takes one letter: x d u t c";
        return false;
    }
    if (args.empty()) {
        error = "print what? a register, pair, flag, [ADDR], label or expression";
        return false;
    }
    ExprValue value;
    std::string notes, text;
    if (!EvaluateExpression(session, args, value, error, &notes) ||
        !FormatValue(value, format.empty() ? 0 : format[0], text, error))
        return false;
    session.Output += notes + args + " = " + text + "\n";
    return true;
}

// x ADDR [COUNT]: bytes as hexadecimal and characters; x/NFU ADDR: N items
// in format F (x d u t c, or i for instructions) of unit U (b bytes, h words).
bool Examine(DebugSession& session, const std::string& typed, std::string& error)
{
    std::string args = typed;
    const std::string format = TakeFormat(args);
    const bool repeat = session.Prompt.Repeating && session.Prompt.ExamineNext >= 0;
    if (args.empty() && !repeat) {
        error = "x needs an address: x ADDR [COUNT] or x/NFU ADDR";
        return false;
    }
    const CpuState& cpu = session.Now.Cpu;
    std::uint16_t address = repeat ? static_cast<std::uint16_t>(session.Prompt.ExamineNext) : 0;
    if (format.empty()) {
        unsigned count = _DefaultDumpBytes;
        if (!repeat && !ReadAddressAndCount(session, args, address, count, error))
            return false;
        if (repeat)
            count = _DefaultDumpBytes;
        session.Output += FormatMemory(cpu.Memory, address, count);
        session.Prompt.ExamineNext = static_cast<std::uint16_t>(address + count);
        return true;
    }
    std::size_t at = 0;
    unsigned count = 0;
    while (at < format.size() && std::isdigit(static_cast<unsigned char>(format[at])) && count <= 65536)
        count = count * 10 + static_cast<unsigned>(format[at++] - '0');
    if (at == 0)
        count = 1;
    char letter = 'x';
    int unit = 1;
    for (; at < format.size(); ++at) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(format[at])));
        if (std::string_view("xdutci").find(c) != std::string_view::npos) {
            letter = c;
        } else if (c == 'b' || c == 'h') {
            unit = c == 'b' ? 1 : 2;
        } else {
            error = std::string("x/FMT: no '") + format[at] +
                    "': a count, then x d u t c or i, then b (bytes) or h (words)";
            return false;
        }
    }
    if (count == 0 || count > 65536) {
        error = "x/N: N from 1 to 65536";
        return false;
    }
    if (!repeat && !ReadAddress(session, args, address, error))
        return false;
    if (letter == 'i') {
        session.Output += FormatDisassembly(session, address, count);
        for (unsigned i = 0; i < count; ++i)
            address = static_cast<std::uint16_t>(address + DescribeOpcode(cpu.Model, cpu.Memory[address]).Size);
        session.Prompt.ExamineNext = address;
        return true;
    }
    if (letter == 'c')
        unit = 1;
    std::string text;
    for (unsigned i = 0; i < count; ++i) {
        if (i % _ItemsPerLine == 0) {
            char head[16];
            std::snprintf(head, sizeof head, "%s%04X:", i == 0 ? "" : "\n", address);
            text += head;
        }
        const std::uint32_t value =
            unit == 1 ? cpu.Memory[address]
                      : cpu.Memory[address] | (cpu.Memory[static_cast<std::uint16_t>(address + 1)] << 8);
        text += " " + FormatItem(value, letter, unit);
        address = static_cast<std::uint16_t>(address + unit);
    }
    session.Output += text + "\n";
    session.Prompt.ExamineNext = address;
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
    if (args.empty() && session.Prompt.ListNextLine > 0) {
        first = session.Prompt.ListNextLine;
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
    session.Prompt.ListNextLine = last + 1;
    return true;
}

std::string FormatDisplays(const DebugSession& session)
{
    std::string text;
    for (const DebugDisplay& display : session.Prompt.Displays) {
        ExprValue value;
        std::string shown, error;
        const std::string head = std::to_string(display.Number) + ": " +
                                 (display.Format ? std::string("/") + display.Format + " " : "") + display.Expression;
        if (EvaluateExpression(session, display.Expression, value, error) &&
            FormatValue(value, display.Format, shown, error))
            text += head + " = " + shown + "\n";
        else
            text += head + ": " + error + "\n";
    }
    return text;
}

bool Display(DebugSession& session, const std::string& typed, std::string& error)
{
    std::string args = typed;
    const std::string format = TakeFormat(args);
    if (args.empty()) {
        if (!format.empty()) {
            error = "display/FMT EXPR";
            return false;
        }
        session.Output += FormatDisplays(session);
        return true;
    }
    if (format.size() > 1) {
        error = "display/FMT takes one letter: x d u t c";
        return false;
    }
    ExprValue value;
    std::string text;
    if (!EvaluateExpression(session, args, value, error) ||
        !FormatValue(value, format.empty() ? 0 : format[0], text, error))
        return false;
    DebugDisplay display{session.Prompt.NextDisplayNumber++, args, format.empty() ? '\0' : format[0]};
    session.Prompt.Displays.push_back(display);
    session.Output += std::to_string(display.Number) + ": " + (format.empty() ? "" : "/" + format + " ") + args +
                      " = " + text + "\n";
    return true;
}

bool Undisplay(DebugSession& session, const std::string& args, std::string& error)
{
    auto& displays = session.Prompt.Displays;
    if (args.empty()) {
        displays.clear();
        return true;
    }
    ExprValue value;
    if (!EvaluateExpression(session, args, value, error))
        return false;
    const auto found = std::find_if(displays.begin(), displays.end(),
                                    [&](const DebugDisplay& d) { return d.Number == value.Value; });
    if (found == displays.end()) {
        error = "no display number " + args;
        return false;
    }
    displays.erase(found);
    return true;
}

bool ShowDisplays(DebugSession& session, const std::string&, std::string&)
{
    if (session.Prompt.Displays.empty()) {
        session.Output += "nothing is displayed\n";
        return true;
    }
    for (const DebugDisplay& d : session.Prompt.Displays)
        session.Output += std::to_string(d.Number) + ": " + (d.Format ? std::string("/") + d.Format + " " : "") +
                          d.Expression + "\n";
    return true;
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

bool ShowInterrupts(DebugSession& session, const std::string&, std::string&)
{
    const CpuState& cpu = session.Now.Cpu;
    const bool is8085 = cpu.Model == CpuModel::I8085;
    std::string text = "IE=" + std::string(cpu.IE ? "1" : "0");
    if (cpu.EnablePending)
        text += " (EI: on after the next instruction)";
    if (is8085)
        text += std::string("  SID=") + (cpu.Lines.Sid ? "1" : "0") + "  SOD=" + (cpu.Sod ? "1" : "0");
    text += cpu.Halted ? "  halted\n" : "\n";
    text += "Source   Vector  Mask    Pending\n";
    for (const InterruptSourceInfo& row : _InterruptSources) {
        if (row.Only8085 && !is8085)
            continue;
        std::string pending = "no";
        switch (row.Source) {
        case InterruptSource::Trap: pending = cpu.Lines.Trap ? "yes" : "no"; break;
        case InterruptSource::Rst75:
            pending = cpu.Rst75Latch ? "yes (latched)" : cpu.Lines.Rst75 ? "edge, latched at the next step" : "no";
            break;
        case InterruptSource::Rst65: pending = cpu.Lines.Rst65 ? "yes (line high)" : "no"; break;
        case InterruptSource::Rst55: pending = cpu.Lines.Rst55 ? "yes (line high)" : "no"; break;
        case InterruptSource::Intr:
            pending = cpu.Lines.Intr >= 0 ? "yes, RST " + std::to_string(cpu.Lines.Intr) : "no";
            break;
        }
        const std::string mask = row.MaskBit == 0 ? "-" : (cpu.Masks & row.MaskBit) ? "masked" : "open";
        char line[96];
        std::snprintf(line, sizeof line, "%-8s %-7s %-7s %s\n", row.Name,
                      row.Source == InterruptSource::Intr ? "RST n" : FormatHex(row.Vector, 4).c_str(), mask.c_str(),
                      pending.c_str());
        text += line;
    }
    if (cpu.LastInterrupt.Step != 0)
        text += "last taken: " + std::string(DescribeInterruptSource(cpu.LastInterrupt.Source).Name) + " to " +
                FormatHex(cpu.LastInterrupt.Vector, 4) + " at moment " + std::to_string(cpu.LastInterrupt.Step) +
                "\n";
    session.Output += text;
    return true;
}

bool ShowPorts(DebugSession& session, const std::string&, std::string&)
{
    const DebugMachine& machine = session.Now;
    std::string text;
    for (unsigned port = 0; port < 256; ++port) {
        const bool console = static_cast<int>(port) == session.Options.ConsolePort;
        if (!machine.Out.Written[port] && machine.Inputs[port] == 0 && !console)
            continue;
        const std::string wrote = machine.Out.Written[port] ? FormatHex(machine.Out.Last[port], 2) : "-";
        const std::string reads = console ? "the console" : FormatHex(machine.Inputs[port], 2);
        char line[80];
        std::snprintf(line, sizeof line, "%-5s %-9s %s\n", FormatHex(port, 2).c_str(), wrote.c_str(), reads.c_str());
        text += line;
    }
    session.Output += text.empty() ? "no port written yet; IN reads 00H from every port\n"
                                   : "Port  OUT last  IN reads\n" + text + "other ports: IN reads 00H\n";
    return true;
}

bool ShowRecord(DebugSession& session, const std::string&, std::string&)
{
    const CpuState& cpu = session.Now.Cpu;
    session.Output += "moment " + std::to_string(CountSteps(session.Now)) + ": " + std::to_string(cpu.Instructions) +
                      " instructions, " + std::to_string(cpu.States) + " T-states\n";
    session.Output += "the history holds moments " + std::to_string(FindOldestTime(session)) + " to " +
                      std::to_string(std::max(session.History.LatestTime, CountSteps(session.Now))) + "\n";
    return true;
}

bool ShowLine(DebugSession& session, const std::string& args, std::string& error)
{
    if (!session.HasMap) {
        error = "no source map: 'info line' needs one";
        return false;
    }
    const MappedRecord* found = nullptr;
    // A line number names that line, data too (break takes the next instruction).
    const std::string number = args.substr(args.rfind(':') == std::string::npos ? 0 : args.rfind(':') + 1);
    if (!number.empty() && number.size() < 9 &&
        std::all_of(number.begin(), number.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
        std::uint16_t ignored;
        if (!ResolveLocation(session, args, ignored, error) && error.starts_with("no source named"))
            return false;
        const int line = std::stoi(number);
        for (const MappedRecord& record : session.Map.Records) {
            if (record.SourceLine == line && record.Size > 0 && !found)
                found = &record;
        }
        if (!found) {
            error = "line " + number + " of " + session.Map.SourceName + " places no bytes";
            return false;
        }
    } else {
        std::uint16_t address = session.Now.Cpu.PC;
        if (!args.empty() && !ResolveLocation(session, args, address, error))
            return false;
        for (const MappedRecord& record : session.Map.Records) {
            if (record.Size > 0 && address >= record.Address && address - record.Address < record.Size)
                found = &record;
        }
        if (!found) {
            error = "no source line covers " + FormatHex(address, 4);
            return false;
        }
    }
    const std::uint16_t last = static_cast<std::uint16_t>(found->Address + found->Size - 1);
    const MappedLabel* label = nullptr;
    for (const MappedLabel& l : session.Map.Labels) {
        if (l.Address == found->Address && !label)
            label = &l;
    }
    session.Output += "line " + std::to_string(found->SourceLine) + " of " + session.Map.SourceName + " is at " +
                      FormatHex(found->Address, 4) + (last != found->Address ? "-" + FormatHex(last, 4) : "") +
                      (label ? " (" + label->Name + ")" : "") + (found->IsData ? ", data" : "") + "\n";
    return true;
}

bool ShowFrame(DebugSession& session, const std::string& args, std::string& error)
{
    if (!args.empty()) {
        error = "this command takes no argument";
        return false;
    }
    return ShowChosenFrame(session, session.Prompt.Frame, error);
}

bool Backtrace(DebugSession& session, const std::string& args, std::string& error)
{
    std::uint64_t most = _MostFrames;
    if (!ReadCount(session, args, most, error))
        return false;
    if (args.empty())
        most = _MostFrames;
    const std::vector<Frame> frames = FindFrames(session);
    for (std::size_t i = 0; i < frames.size() && i < most; ++i)
        session.Output += FormatFrame(session, frames, static_cast<int>(i));
    return true;
}

bool SelectFrame(DebugSession& session, const std::string& args, std::string& error)
{
    if (args.empty())
        return ShowChosenFrame(session, session.Prompt.Frame, error);
    ExprValue value;
    if (!EvaluateExpression(session, args, value, error))
        return false;
    return ShowChosenFrame(session, static_cast<int>(std::clamp<std::int64_t>(value.Value, -1, 1 << 20)), error);
}

bool FrameUp(DebugSession& session, const std::string& args, std::string& error)
{
    return MoveFrame(session, args, error, 1);
}

bool FrameDown(DebugSession& session, const std::string& args, std::string& error)
{
    return MoveFrame(session, args, error, -1);
}
