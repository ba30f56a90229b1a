// The debugger for the page: C functions over one session, exported from
// the WebAssembly reactor module Debug8085.wasm (built by the web preset
// only). docs/debugger.md describes the contract; the page writes its
// inputs into buffers from DebugAllocate, calls a function, then reads the
// output text, the state as JSON and the memory straight from this module's
// memory.
#include "Cpm.h"
#include "DebugSession.h"
#include "Expression.h"
#include "ImageState.h"
#include "InstructionSet.h"
#include "Options.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#if defined(__wasm__)
#define DEBUG_EXPORT(name) extern "C" __attribute__((export_name(#name)))
#else
#define DEBUG_EXPORT(name) extern "C"
#endif

namespace {

// The one session of the module and what the last call printed; written by
// the exported functions alone, one call at a time.
std::unique_ptr<DebugSession> Session;
std::string Output;
std::string StateJson;

const char* StopName(StopKind kind)
{
    switch (kind) {
    case StopKind::None: return "none";
    case StopKind::Step: return "step";
    case StopKind::Breakpoint: return "breakpoint";
    case StopKind::Watchpoint: return "watchpoint";
    case StopKind::Halted: return "halted";
    case StopKind::CpmExit: return "cpm-exit";
    case StopKind::StepLimit: return "step-limit";
    case StopKind::StartOfHistory: return "start-of-history";
    case StopKind::LeftProgram: return "left-program";
    case StopKind::Finished: return "step";
    case StopKind::Interrupted: return "interrupted";
    }
    return "none";
}

std::string Quote(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(c));
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

std::vector<std::string> SplitLines(const char* text, std::size_t length)
{
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] == '\n') {
            if (!line.empty())
                lines.push_back(line);
            line.clear();
        } else if (text[i] != '\r') {
            line += text[i];
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

} // namespace

DEBUG_EXPORT(DebugAllocate) void* DebugAllocate(std::size_t size)
{
    return std::malloc(size == 0 ? 1 : size);
}

DEBUG_EXPORT(DebugFree) void DebugFree(void* pointer)
{
    std::free(pointer);
}

DEBUG_EXPORT(DebugLoad)
int DebugLoad(const char* image, std::size_t imageLength, const char* map, std::size_t mapLength, const char* args,
              std::size_t argsLength)
{
    Output.clear();
    auto options = SplitLines(args, argsLength);
    options.push_back("--");
    options.push_back("image"); // the image comes from memory; the parser only needs its name
    const CommandLine commandLine = ParseCommandLine(options);
    if (commandLine.Action != CommandLineAction::Run) {
        Output = "error: " + (commandLine.Error.empty() ? std::string("not an option here") : commandLine.Error) + "\n";
        return 1;
    }
    if (imageLength != sizeof(MachineImage)) {
        Output = "error: the image is " + std::to_string(imageLength) + " bytes long, not the " +
                 std::to_string(sizeof(MachineImage)) + " bytes of an image\n";
        return 1;
    }
    SourceMap sourceMap;
    std::string error;
    if (mapLength != 0 && !ReadMapFile(std::string_view(map, mapLength), sourceMap, error)) {
        Output = "error: the source map: " + error + "\n";
        return 1;
    }
    const RunOptions& run = commandLine.Options;
    const auto machineImage = std::make_unique<MachineImage>();
    std::memcpy(machineImage.get(), image, sizeof(MachineImage));
    const auto first = std::make_unique<CpuState>();
    ResetCpu(*first, run.Machine.Model);
    for (const std::string& warning : ApplyImage(*machineImage, *first))
        Output += "warning: " + warning + "\n";
    if (run.Machine.Cpm)
        SetUpCpm(*first);
    if (run.Machine.Pc)
        first->PC = *run.Machine.Pc;
    if (run.Machine.Sp)
        first->SP = *run.Machine.Sp;
    Session = std::make_unique<DebugSession>();
    Session->HistoryBytes = run.HistoryMiB << 20;
    LoadDebugSession(*Session, *first, run.Machine);
    if (mapLength != 0)
        SetDebugSourceMap(*Session, std::move(sourceMap));
    Output += StartText(*Session);
    return 0;
}

DEBUG_EXPORT(DebugCommand) int DebugCommand(const char* line, std::size_t length)
{
    if (!Session) {
        Output = "nothing is loaded\n";
        return 1;
    }
    const CommandResult result = RunDebugCommand(*Session, std::string_view(line, length));
    Output = result.Text;
    return result.Refused ? 1 : 0;
}

DEBUG_EXPORT(DebugOutputPointer) const char* DebugOutputPointer()
{
    return Output.data();
}

DEBUG_EXPORT(DebugOutputLength) std::size_t DebugOutputLength()
{
    return Output.size();
}

DEBUG_EXPORT(DebugContinueSlice) int DebugContinueSlice(std::uint32_t maxInstructions)
{
    if (!Session) {
        Output = "nothing is loaded\n";
        return 1;
    }
    return ContinueSlice(*Session, maxInstructions, Output) ? 1 : 0;
}

DEBUG_EXPORT(DebugMemoryPointer) const std::uint8_t* DebugMemoryPointer()
{
    return Session ? Session->Now.Cpu.Memory : nullptr;
}

DEBUG_EXPORT(DebugStateJson) const char* DebugStateJson()
{
    if (!Session) {
        StateJson = "null";
        return StateJson.c_str();
    }
    const DebugMachine& machine = Session->Now;
    const CpuState& cpu = machine.Cpu;
    const auto number = [](const char* name, std::uint64_t value) {
        return std::string("\"") + name + "\":" + std::to_string(value) + ",";
    };
    const auto flag = [&](const char* name, std::uint8_t bit) { return number(name, (cpu.F & bit) ? 1 : 0); };
    std::string json = "{";
    json += number("pc", cpu.PC) + number("sp", cpu.SP) + number("a", cpu.A) + number("b", cpu.B) + number("c", cpu.C) +
            number("d", cpu.D) + number("e", cpu.E) + number("h", cpu.H) + number("l", cpu.L) +
            number("f", PswByte(cpu));
    json += "\"flags\":{" + flag("s", _FlagS) + flag("z", _FlagZ) + flag("ac", _FlagAC) + flag("p", _FlagP) +
            flag("cy", _FlagCY) + flag("k", _FlagK) + flag("v", _FlagV);
    json.back() = '}';
    json += ",\"ie\":" + std::string(IsInterruptEnabled(cpu) ? "true" : "false") + ",";
    json += number("masks", cpu.Masks);
    json += "\"i75\":" + std::string(cpu.Rst75Latch ? "true" : "false") + ",";
    json += number("sod", cpu.Sod ? 1 : 0) + number("sid", cpu.Lines.Sid ? 1 : 0);
    json += "\"halted\":" + std::string(cpu.Halted ? "true" : "false") + ",";
    json += number("instructions", cpu.Instructions) + number("states", cpu.States);
    json += "\"lastWrite\":" + std::to_string(Session->LastWrite) + ",";
    json += "\"stop\":\"" + std::string(StopName(Session->LastStop)) + "\",";
    json += "\"stopText\":" + Quote(Session->LastStopText) + ",";
    // Halted, PC is past the HLT: the line is the HLT's own, PC the machine's.
    const auto lineAddress = static_cast<std::uint16_t>(cpu.Halted ? cpu.PC - 1 : cpu.PC);
    json += number("sourceLine", static_cast<std::uint64_t>(FindSourceLineAt(*Session, lineAddress)));
    json += number("historyAvailable", CountSteps(machine) - FindOldestTime(*Session));
    json += "\"outPorts\":[";
    bool any = false;
    for (unsigned port = 0; port < 256; ++port) {
        if (!machine.Out.Written[port])
            continue;
        json += (any ? ",[" : "[") + std::to_string(port) + "," + std::to_string(machine.Out.Last[port]) + "]";
        any = true;
    }
    json += "]}";
    StateJson = json;
    return StateJson.c_str();
}

// The OUT log until now, the latest `limit`, the oldest first:
// [[instructions, address, port, value], ...] ("[]" before a load).
DEBUG_EXPORT(PageOutLog) const char* PageOutLog(std::uint32_t limit)
{
    StateJson = "[";
    if (Session) {
        for (const OutEvent& event : FindOutsUntilNow(*Session, limit)) {
            StateJson += (StateJson.size() > 1 ? ",[" : "[") + std::to_string(event.Instructions) + "," +
                         std::to_string(event.Address) + "," + std::to_string(event.Port) + "," +
                         std::to_string(event.Value) + "]";
        }
    }
    StateJson += "]";
    return StateJson.c_str();
}

// ----- The page's tables: what its panels and listing show, asked of the
// C++ tables rather than kept in JavaScript (interim exports of the page;
// to be reconciled with the register and instruction table exports) -----

namespace {

std::string PageJson;

const char* Keep(std::string json)
{
    PageJson = std::move(json);
    return PageJson.c_str();
}

int WidthInBits(int width)
{
    return width == 0 ? 1 : width * 8;
}

} // namespace

// [{"name":"A","width":8,"only8085":false,"writable":true}, ...]: every
// register, pair (width 16) and flag (width 1) that set can change.
DEBUG_EXPORT(PageRegisterTable) const char* PageRegisterTable()
{
    std::string json = "[";
    for (const RegisterRow& row : ListRegisterRows()) {
        json += (json.size() > 1 ? "," : "") + std::string("{\"name\":") + Quote(row.Name) +
                ",\"width\":" + std::to_string(WidthInBits(row.Width)) +
                ",\"only8085\":" + (row.Only8085 ? "true" : "false") + ",\"writable\":true}";
    }
    return Keep(json + "]");
}

// {"A":5,"B":0,...,"K":0}: the value of every row of the register table
// now; null when nothing is loaded.
DEBUG_EXPORT(PageRegisterValues) const char* PageRegisterValues()
{
    if (!Session)
        return Keep("null");
    std::string json = "{";
    for (const RegisterRow& row : ListRegisterRows()) {
        json += (json.size() > 1 ? "," : "") + Quote(row.Name) + ":" +
                std::to_string(ReadRegister(Session->Now.Cpu, row.Name));
    }
    return Keep(json + "}");
}

// [{"size":3,"states":10,"statesTaken":10}, ...]: the 256 opcodes of the
// 8080 (model 8080) or the 8085 (any other), by opcode; statesTaken
// differs from states for a conditional transfer.
DEBUG_EXPORT(PageInstructionTable) const char* PageInstructionTable(int model)
{
    const CpuModel cpu = model == 8080 ? CpuModel::I8080 : CpuModel::I8085;
    std::string json = "[";
    for (unsigned opcode = 0; opcode < 256; ++opcode) {
        const InstructionInfo& row = DescribeOpcode(cpu, static_cast<std::uint8_t>(opcode));
        json += (opcode > 0 ? ",\n" : "") + std::string("{\"size\":") + std::to_string(row.Size) +
                ",\"states\":" + std::to_string(row.States) + ",\"statesTaken\":" + std::to_string(row.StatesTaken) +
                ",\"mnemonic\":" + Quote(row.Mnemonic) + ",\"documented\":" + (row.Documented ? "true" : "false") +
                "}";
    }
    return Keep(json + "]");
}
