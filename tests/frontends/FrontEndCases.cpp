#include "FrontEndCases.h"

#include "support/RandomPrograms.h"
#include "support/RunProgram.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr const char* _GoSteps = "100000"; // --max-steps for the assembled programs
constexpr const char* _RandomSteps = "400";
constexpr std::uint32_t _RandomSeed = 8085;
constexpr std::size_t _MemoryBytes = 65536;

// Programs written here for what the other sources do not hold, each with
// the Run8085 options it runs with.
struct WrittenSource {
    const char* Name;
    const char* Text;
    std::vector<std::string> Options;
};

const WrittenSource _WrittenSources[] = {
    // The most common ending of all: HLT on the last line.
    {"hlt-last.asm", "START: MVI A, 5\n ADI 3\n HLT\n", {}},
    // No HLT: the program runs on past its end, which is no jump.
    {"runs-on-past-end.asm", "        MVI A, 05H\n        ADI 03H\n        STA 2050H\n", {}},
    {"kit-rst1.asm", "        MVI C, 03H\nLOOP:   DCR C\n        JNZ LOOP\n        STA 2050H\n        RST 1\n", {}},
    {"kit-call-monitor.asm", "        LXI SP, 3000H\n        MVI A, 41H\n        CALL 0BC7H\n        HLT\n", {}},
    {"kit-ret-empty-stack.asm", "        MVI A, 07H\n        RET\n", {}},
    // Every 8085 source raised while the program counts, each service
    // routine counting in its own register.
    {"interrupts-8085.asm",
     "        ORG 2000H\n"
     "START:  LXI SP, 3000H\n"
     "        MVI A, 08H\n"
     "        SIM\n"
     "        EI\n"
     "        MVI B, 00H\n"
     "LOOP:   INR B\n"
     "        MOV A, B\n"
     "        CPI 40H\n"
     "        JNZ LOOP\n"
     "        RIM\n"
     "        HLT\n"
     "        ORG 0024H\n"
     "        INR C\n"
     "        RET\n"
     "        ORG 002CH\n"
     "        INR D\n"
     "        EI\n"
     "        RET\n"
     "        ORG 0034H\n"
     "        INR E\n"
     "        EI\n"
     "        RET\n"
     "        ORG 003CH\n"
     "        INR H\n"
     "        EI\n"
     "        RET\n"
     "        ORG 0018H\n"
     "        INR L\n"
     "        EI\n"
     "        RET\n",
     {"--interrupt", "10:RST7.5", "--interrupt", "25:RST6.5", "--interrupt", "40:RST5.5", "--interrupt", "55:TRAP",
      "--interrupt", "70:INTR:3", "--interrupt", "70:RST7.5", "--interrupt", "300:TRAP"}},
    // A HLT that an interrupt to come ends, then one that nothing ends.
    {"interrupt-ends-halt.asm",
     "        ORG 2000H\n"
     "        LXI SP, 3000H\n"
     "        EI\n"
     "        HLT\n"
     "        MVI A, 55H\n"
     "        OUT 10H\n"
     "        HLT\n"
     "        ORG 003CH\n"
     "        MVI B, 77H\n"
     "        EI\n"
     "        RET\n",
     {"--interrupt", "50:RST7.5"}},
    // The 8080's one interrupt line, and a masked source that stays pending.
    {"interrupts-8080.asm",
     "        ORG 2000H\n"
     "        LXI SP, 3000H\n"
     "        EI\n"
     "        MVI B, 20H\n"
     "LOOP:   DCR B\n"
     "        JNZ LOOP\n"
     "        HLT\n"
     "        ORG 0028H\n"
     "        INR C\n"
     "        OUT 20H\n"
     "        EI\n"
     "        RET\n",
     {"--cpu", "8080", "--interrupt", "5:INTR:5", "--interrupt", "30:INTR:5"}},
    // The console port: OUT prints, IN reads the end of input (1AH).
    {"console-port.asm",
     "        MVI A, 48H\n        OUT 01H\n        MVI A, 49H\n        OUT 01H\n        IN 01H\n        MOV B, A\n"
     "        RST 1\n",
     {"--console-port", "1"}},
    // Ports: IN reads what --input says, OUT is in the report.
    {"ports.asm",
     "        IN 30H\n        OUT 31H\n        IN 32H\n        OUT 33H\n        HLT\n",
     {"--input", "30=5A", "--input", "32=C3"}},
};

void WriteText(const fs::path& path, const std::string& text)
{
    WriteFileBytes(path, text);
}

void WriteOptions(const FrontEndCase& run)
{
    std::string text;
    for (const std::string& option : run.Options)
        text += option + "\n";
    WriteText(run.Folder / "options", text);
}

// The image layout: memory, PC and SP low byte first, A B C D E H L, the
// pairs BC DE HL high byte first, the flag byte, S P Z CY AC, the IE flag.
std::string MakeImage(const std::vector<std::uint8_t>& memory, std::uint16_t pc, std::uint16_t sp,
                      const std::uint8_t (&registers)[7], std::uint8_t f, bool ie)
{
    std::string image(memory.begin(), memory.end());
    image.resize(_MemoryBytes);
    image += static_cast<char>(pc & 0xFF);
    image += static_cast<char>(pc >> 8);
    image += static_cast<char>(sp & 0xFF);
    image += static_cast<char>(sp >> 8);
    for (std::uint8_t r : registers)
        image += static_cast<char>(r);
    for (int pair = 1; pair < 7; ++pair)
        image += static_cast<char>(registers[pair]);
    image += static_cast<char>(f);
    for (std::uint8_t bit : {0x80, 0x04, 0x40, 0x01, 0x10})
        image += static_cast<char>((f & bit) ? 1 : 0);
    image += static_cast<char>(ie ? 1 : 0);
    return image;
}

// Assembles the case's source with Go8085 in the case's folder and keeps its
// image and map; false (with why) when Go8085 made no image.
bool Assemble(const CaseSources& sources, FrontEndCase& run, const std::vector<std::string>& goArgs, std::string& why)
{
    std::vector<std::string> args = goArgs;
    args.insert(args.end(), {"--max-steps", _GoSteps});
    const RunResult result = RunProgram(sources.Go8085, args, run.Folder);
    fs::path image;
    for (const auto& entry : fs::recursive_directory_iterator(run.Folder)) {
        if (entry.path().string().ends_with(".asm.img"))
            image = entry.path();
    }
    if (image.empty()) {
        std::istringstream lines(result.Stderr);
        std::string first;
        std::getline(lines, first);
        why = "Go8085 made no image (" + first + ")";
        return false;
    }
    fs::path map = image;
    map.replace_extension(".map");
    fs::rename(image, run.Folder / "image");
    run.HasMap = fs::exists(map);
    if (run.HasMap)
        fs::rename(map, run.Folder / "map");
    run.Options.insert(run.Options.begin(), {"--max-steps", _GoSteps});
    return true;
}

std::vector<std::string> ReadArgsFile(const fs::path& path)
{
    std::vector<std::string> args;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty())
            args.push_back(line);
    }
    return args;
}

std::vector<fs::path> SortedEntries(const fs::path& folder)
{
    std::vector<fs::path> entries;
    if (fs::is_directory(folder)) {
        for (const auto& entry : fs::directory_iterator(folder))
            entries.push_back(entry.path());
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

} // namespace

const std::vector<std::string> _NotInTranscript = {"instructions", "t-states", "IE",  "M5.5", "M6.5",
                                                   "M7.5",         "I7.5",     "SOD", "out "};

bool WriteFrontEndCases(const CaseSources& sources, const fs::path& folder, std::vector<FrontEndCase>& cases,
                        std::vector<std::string>& notes, std::string& error)
{
    int number = 0;
    const auto newCase = [&](const std::string& name) {
        FrontEndCase run;
        run.Name = name;
        char subfolder[16];
        std::snprintf(subfolder, sizeof subfolder, "%04d", number++);
        run.Folder = folder / subfolder;
        fs::create_directories(run.Folder);
        return run;
    };
    const auto keep = [&](FrontEndCase& run) {
        WriteOptions(run);
        cases.push_back(run);
    };
    std::string why;

    // Sources assembled by Go8085: the examples, the golden programs, the
    // collection of programs in the users' style, and those written above.
    const fs::path& repository = sources.Repository;
    for (const fs::path& source : SortedEntries(repository / "examples")) {
        if (source.extension() != ".asm")
            continue;
        FrontEndCase run = newCase("examples/" + source.filename().string());
        std::vector<std::string> args = {source.filename().string()};
        fs::copy_file(source, run.Folder / source.filename());
        fs::path regs = source;
        regs.replace_extension(".regs");
        if (fs::exists(regs)) {
            fs::copy_file(regs, run.Folder / regs.filename());
            args.push_back(regs.filename().string());
        }
        if (!Assemble(sources, run, args, why)) {
            error = run.Name + ": " + why;
            return false;
        }
        keep(run);
    }
    for (const fs::path& golden : SortedEntries(repository / "tests/golden/go8085")) {
        if (!fs::is_directory(golden / "in"))
            continue;
        FrontEndCase run = newCase("golden/go8085/" + golden.filename().string());
        fs::copy(golden / "in", run.Folder, fs::copy_options::recursive);
        if (Assemble(sources, run, ReadArgsFile(golden / "args"), why))
            keep(run);
        else
            notes.push_back(run.Name + ": no case: " + why);
    }
    for (const fs::path& source : SortedEntries(repository / "tests/programs")) {
        if (source.extension() != ".asm")
            continue;
        FrontEndCase run = newCase("programs/" + source.filename().string());
        fs::copy_file(source, run.Folder / source.filename());
        if (Assemble(sources, run, {source.filename().string()}, why))
            keep(run);
        else
            notes.push_back(run.Name + ": no case: " + why);
    }
    for (const WrittenSource& source : _WrittenSources) {
        FrontEndCase run = newCase(std::string("written/") + source.Name);
        WriteText(run.Folder / source.Name, source.Text);
        run.Options = source.Options;
        if (!Assemble(sources, run, {source.Name}, why)) {
            error = run.Name + ": " + why;
            return false;
        }
        keep(run);
    }

    // Random programs: the even ones on the 8080, the odd ones on the 8085,
    // every fifth with interrupt events.
    const std::vector<RandomProgram> programs = GenerateRandomPrograms(_RandomSeed, sources.RandomPrograms);
    for (std::size_t i = 0; i < programs.size(); ++i) {
        const RandomProgram& p = programs[i];
        FrontEndCase run = newCase("random/" + std::to_string(i));
        const std::uint8_t registers[7] = {p.A, p.B, p.C, p.D, p.E, p.H, p.L};
        WriteText(run.Folder / "image", MakeImage(p.Memory, p.PC, p.SP, registers, p.F, p.IE));
        const bool i8080 = i % 2 == 0;
        run.Options = {"--max-steps", _RandomSteps};
        if (i8080)
            run.Options.insert(run.Options.end(), {"--cpu", "8080"});
        if (i % 5 == 0) {
            const std::string step = std::to_string(1 + i % 37);
            if (i8080) {
                run.Options.insert(run.Options.end(), {"--interrupt", step + ":INTR:" + std::to_string(i % 8)});
            } else {
                run.Options.insert(run.Options.end(), {"--interrupt", step + ":TRAP", "--interrupt",
                                                       std::to_string(3 + i % 41) + ":RST7.5"});
            }
        }
        keep(run);
    }

    // The CP/M console programs, at 0100H.
    for (const char* name : {"8080PRE.COM", "TST8080.COM"}) {
        const fs::path program = sources.CpuTests / name;
        if (sources.CpuTests.empty() || !fs::exists(program)) {
            notes.push_back(std::string(name) + ": not found (configure with -DCPU_TESTS_DIR=<folder>)");
            continue;
        }
        const std::string bytes = ReadFileBytes(program);
        std::vector<std::uint8_t> memory(_MemoryBytes, 0);
        std::copy(bytes.begin(), bytes.end(), memory.begin() + 0x100);
        FrontEndCase run = newCase(std::string("cpm/") + name);
        const std::uint8_t registers[7] = {};
        WriteText(run.Folder / "image", MakeImage(memory, 0x100, 0, registers, 0x00, false));
        run.Options = {"--cpu", "8080", "--cpm"};
        keep(run);
    }
    return true;
}

// --- Reading what the front ends print ----------------------------------------

namespace {

const std::regex _ReportLine(R"(^(stop|instructions|t-states|[A-Z][A-Z0-9.]*|out [0-9A-F]{2}): (\S+)$)");

void ReadReportLines(const std::string& text, EndState& end)
{
    std::istringstream lines(text);
    std::string line;
    std::smatch match;
    while (std::getline(lines, line)) {
        if (std::regex_match(line, match, _ReportLine))
            end.Fields[match[1]] = match[2];
    }
}

std::vector<std::string> FileArgs(const FrontEndCase& run)
{
    std::vector<std::string> args = {(run.Folder / "image").string()};
    if (run.HasMap)
        args.insert(args.end(), {"--map", (run.Folder / "map").string()});
    args.insert(args.end(), run.Options.begin(), run.Options.end());
    return args;
}

bool IsCpm(const FrontEndCase& run)
{
    return std::find(run.Options.begin(), run.Options.end(), "--cpm") != run.Options.end();
}

bool Is8080(const FrontEndCase& run)
{
    const auto cpu = std::find(run.Options.begin(), run.Options.end(), "--cpu");
    return cpu != run.Options.end() && cpu + 1 != run.Options.end() && cpu[1] == "8080";
}

// The stop reason a debugger's line names, in the report's words.
std::string StopOfLine(const std::string& line)
{
    if (line == "halted")
        return "halt";
    if (line == "exited through 0000H")
        return "cpm-exit";
    if (line == "step limit")
        return "step-limit";
    if (line.starts_with("left the program"))
        return "left-program";
    return "(" + line + ")";
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

// The text each command printed, by the command's echo "(8085) command".
std::map<std::string, std::string> SplitTranscript(const std::string& transcript)
{
    std::map<std::string, std::string> said;
    std::string* current = nullptr;
    std::size_t at = 0;
    while (at < transcript.size()) {
        std::size_t end = transcript.find('\n', at);
        if (end == std::string::npos)
            end = transcript.size();
        const std::string line = transcript.substr(at, end - at);
        // A command's echo starts a line, except after console output that
        // did not end its line: the debugger ends it before the stop.
        if (line.starts_with("(8085) ")) {
            current = &said[line.substr(7)];
        } else if (current) {
            *current += line + "\n";
        }
        at = end + 1;
    }
    return said;
}

} // namespace

bool RunPlain(const std::string& run8085, const FrontEndCase& run, EndState& end, std::string& error)
{
    const fs::path finalImage = run.Folder / "final.img";
    std::vector<std::string> args = FileArgs(run);
    args.insert(args.end(), {"--out", finalImage.string()});
    const RunResult result = RunProgram(run8085, args, run.Folder);
    if (result.ExitStatus != 0 && result.ExitStatus != 2) {
        error = "Run8085 failed (" + std::to_string(result.ExitStatus) + "): " + result.Stderr;
        return false;
    }
    std::string report = IsCpm(run) ? result.Stderr : result.Stdout;
    if (IsCpm(run)) {
        end.Console = result.Stdout;
    } else if (std::find(run.Options.begin(), run.Options.end(), "--console-port") != run.Options.end()) {
        // What the program printed comes first; the report follows it on
        // the same line when the program did not end its line.
        const std::size_t stop = std::min(report.find("stop: "), report.size());
        end.Console = report.substr(0, stop);
        report.erase(0, stop);
    }
    ReadReportLines(report, end);
    WriteText(run.Folder / "report", report);
    WriteText(run.Folder / "console", end.Console);
    end.Memory = ReadFileBytes(finalImage).substr(0, _MemoryBytes);
    if (end.Memory.size() != _MemoryBytes || end.Fields.count("stop") == 0) {
        error = "Run8085 gave no report or no final image: " + result.Stdout + result.Stderr;
        return false;
    }
    return true;
}

bool RunTerminalDebugger(const std::string& run8085, const FrontEndCase& run, EndState& end, std::string& error)
{
    std::string commands = "continue\ninfo registers\nprint PSW\nx 0 65536\n";
    if (!Is8080(run))
        commands += "print K\nprint V\n";
    WriteText(run.Folder / "commands", commands);
    std::vector<std::string> args = FileArgs(run);
    args.insert(args.begin(), "--debug");
    const RunResult result = RunProgram(run8085, args, run.Folder, 022, run.Folder / "commands");
    if (result.ExitStatus != 0) {
        error = "Run8085 --debug failed (" + std::to_string(result.ExitStatus) + "): " + result.Stderr;
        return false;
    }
    const std::map<std::string, std::string> said = SplitTranscript(result.Stdout);
    // continue: what the program printed, then the reason, the source line
    // and the registers.
    const std::vector<std::string> stop = SplitLines(said.count("continue") ? said.at("continue") : "");
    if (stop.size() < 3) {
        error = "no stop after continue in the transcript:\n" + result.Stdout.substr(0, 2000);
        return false;
    }
    end.Fields["stop"] = StopOfLine(stop[stop.size() - 3]);
    for (std::size_t i = 0; i + 3 < stop.size(); ++i)
        end.Console += stop[i] + "\n";
    // info registers: PC=2000 SP=0000 A=00 ... CY=0
    std::istringstream registers(said.count("info registers") ? said.at("info registers") : "");
    std::string field;
    while (registers >> field) {
        const std::size_t equals = field.find('=');
        if (equals != std::string::npos)
            end.Fields[field.substr(0, equals)] = field.substr(equals + 1);
    }
    // print PSW: PSW = 0802H (2050); print K: K = 1
    std::smatch match;
    const std::string psw = said.count("print PSW") ? said.at("print PSW") : "";
    if (std::regex_search(psw, match, std::regex(R"(PSW = 0?[0-9A-F]{2}([0-9A-F]{2})H)")))
        end.Fields["PSW"] = match[1];
    for (const char* flag : {"K", "V"}) {
        const std::string key = std::string("print ") + flag;
        if (said.count(key) && std::regex_search(said.at(key), match, std::regex(R"(= ([01])\b)")))
            end.Fields[flag] = match[1];
    }
    // x 0 65536: "0000: 3E 05 ... 00  |>...|", the bytes from column 6.
    const auto digit = [](char c) { return c <= '9' ? c - '0' : c - 'A' + 10; };
    for (const std::string& line : SplitLines(said.count("x 0 65536") ? said.at("x 0 65536") : "")) {
        for (std::size_t at = 6; at + 1 < line.size() && line[at] != ' '; at += 3)
            end.Memory += static_cast<char>(digit(line[at]) * 16 + digit(line[at + 1]));
    }
    if (end.Memory.size() != _MemoryBytes) {
        error = "the transcript shows " + std::to_string(end.Memory.size()) + " bytes of memory, not 65536";
        return false;
    }
    return true;
}

std::vector<std::string> CompareEnds(const EndState& expected, const EndState& actual, const std::string& actualName,
                                     const std::vector<std::string>& notShown)
{
    std::vector<std::string> differences;
    const auto shown = [&](const std::string& key) {
        return std::none_of(notShown.begin(), notShown.end(),
                            [&](const std::string& prefix) { return key.starts_with(prefix); });
    };
    std::map<std::string, std::string> keys = expected.Fields;
    keys.insert(actual.Fields.begin(), actual.Fields.end());
    for (const auto& [key, ignored] : keys) {
        if (!shown(key))
            continue;
        const auto a = expected.Fields.find(key);
        const auto b = actual.Fields.find(key);
        const std::string left = a == expected.Fields.end() ? "(none)" : a->second;
        const std::string right = b == actual.Fields.end() ? "(none)" : b->second;
        if (left != right)
            differences.push_back(key + ": Run8085 " + left + ", " + actualName + " " + right);
    }
    int named = 0;
    for (std::size_t address = 0; address < _MemoryBytes && named < 4; ++address) {
        if (expected.Memory.size() == _MemoryBytes && actual.Memory.size() == _MemoryBytes &&
            expected.Memory[address] != actual.Memory[address]) {
            char text[96];
            std::snprintf(text, sizeof text, "memory %04zX: Run8085 %02X, %s %02X", address,
                          static_cast<std::uint8_t>(expected.Memory[address]), actualName.c_str(),
                          static_cast<std::uint8_t>(actual.Memory[address]));
            differences.push_back(text);
            ++named;
        }
    }
    // The debugger ends a console line the program left open before it
    // says why it stopped.
    std::string console = expected.Console;
    if (!console.empty() && console.back() != '\n')
        console += '\n';
    if (console != actual.Console)
        differences.push_back("console: Run8085 printed " + std::to_string(expected.Console.size()) + " bytes, " +
                              actualName + " " + std::to_string(actual.Console.size()) + " bytes");
    return differences;
}
