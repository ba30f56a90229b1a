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
#include "Registers.h"

#include <algorithm>
#include <cctype>
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
std::string RegisterTableJson;
std::string InstructionTableJson;

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

std::string Lower(const char* name)
{
    std::string text = name;
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

const char* NameRegisterKind(RegisterKind kind)
{
    switch (kind) {
    case RegisterKind::Register: return "register";
    case RegisterKind::Pair: return "pair";
    case RegisterKind::Flag: return "flag";
    }
    return "register";
}

const char* Truth(bool value)
{
    return value ? "true" : "false";
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
    FinishFirstState(*first, run.Machine, true);
    Session = std::make_unique<DebugSession>();
    Session->History.HistoryBytes = run.HistoryMiB << 20;
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
    // The registers by the table, under their names in lower case, then
    // the flag byte, then the flags (all of them, whatever the model).
    std::string json = "{";
    for (const RegisterInfo& row : ListRegisters()) {
        if (row.Kind == RegisterKind::Register)
            json += number(Lower(row.Name).c_str(), row.Read(cpu));
    }
    json += number("f", PswByte(cpu));
    json += "\"flags\":{";
    for (const RegisterInfo& row : ListRegisters()) {
        if (row.Kind == RegisterKind::Flag)
            json += number(Lower(row.Name).c_str(), row.Read(cpu));
    }
    json.back() = '}';
    json += ",\"ie\":" + std::string(IsInterruptEnabled(cpu) ? "true" : "false") + ",";
    json += number("masks", cpu.Masks);
    json += "\"i75\":" + std::string(cpu.Rst75Latch ? "true" : "false") + ",";
    json += number("sod", cpu.Sod ? 1 : 0) + number("sid", cpu.Lines.Sid ? 1 : 0);
    json += "\"halted\":" + std::string(cpu.Halted ? "true" : "false") + ",";
    json += number("instructions", cpu.Instructions) + number("states", cpu.States);
    json += "\"lastWrite\":" + std::to_string(Session->Prompt.LastWrite) + ",";
    json += "\"stop\":\"" + std::string(StopName(Session->Prompt.LastStop)) + "\",";
    json += "\"stopText\":" + Quote(Session->Prompt.LastStopText) + ",";
    json += number("sourceLine", static_cast<std::uint64_t>(FindSourceLine(Session->Map, FindStopAddress(cpu))));
    json += number("historyAvailable", CountSteps(machine) - FindOldestTime(*Session));
    // The interrupt lines and the place in the history, as info interrupts and info record show them.
    json += "\"pending\":{\"trap\":" + std::string(cpu.Lines.Trap ? "true" : "false") +
            ",\"rst75\":" + (cpu.Lines.Rst75 ? "true" : "false") + ",\"rst65\":" + (cpu.Lines.Rst65 ? "true" : "false") +
            ",\"rst55\":" + (cpu.Lines.Rst55 ? "true" : "false") + ",\"intr\":" + std::to_string(cpu.Lines.Intr) + "},";
    json += "\"enablePending\":" + std::string(cpu.EnablePending ? "true" : "false") + ",";
    json += number("moment", CountSteps(machine)) + number("oldestMoment", FindOldestTime(*Session)) +
            number("latestMoment", std::max(Session->History.LatestTime, CountSteps(machine)));
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
DEBUG_EXPORT(DebugOutLogJson) const char* DebugOutLogJson(std::uint32_t limit)
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

DEBUG_EXPORT(DebugRegistersJson) const char* DebugRegistersJson()
{
    RegisterTableJson = "[";
    for (const RegisterInfo& row : ListRegisters()) {
        if (RegisterTableJson.size() > 1)
            RegisterTableJson += ",";
        RegisterTableJson += std::string("{\"name\":") + Quote(row.Name) + ",\"kind\":\"" + NameRegisterKind(row.Kind) +
                             "\",\"width\":" + std::to_string(row.Bits) + ",\"only8085\":" + Truth(row.Only8085) +
                             ",\"writable\":" + Truth(row.Write != nullptr) + "}";
    }
    RegisterTableJson += "]";
    return RegisterTableJson.c_str();
}

// {"PC":8192,...,"K":0}: the value of every row of the register table now,
// under the row's name; null before a load.
DEBUG_EXPORT(DebugRegisterValuesJson) const char* DebugRegisterValuesJson()
{
    if (!Session) {
        RegisterTableJson = "null";
        return RegisterTableJson.c_str();
    }
    RegisterTableJson = "{";
    for (const RegisterInfo& row : ListRegisters()) {
        if (RegisterTableJson.size() > 1)
            RegisterTableJson += ",";
        RegisterTableJson += Quote(row.Name) + ":" + std::to_string(row.Read(Session->Now.Cpu));
    }
    RegisterTableJson += "}";
    return RegisterTableJson.c_str();
}

DEBUG_EXPORT(DebugInstructionsJson) const char* DebugInstructionsJson(int model)
{
    if (model != 8080 && model != 8085) {
        InstructionTableJson = "null";
        return InstructionTableJson.c_str();
    }
    const CpuModel cpu = model == 8080 ? CpuModel::I8080 : CpuModel::I8085;
    InstructionTableJson = "[";
    for (int opcode = 0; opcode < 256; ++opcode) {
        const InstructionInfo& row = DescribeOpcode(cpu, static_cast<std::uint8_t>(opcode));
        if (opcode != 0)
            InstructionTableJson += ",";
        InstructionTableJson += std::string("{\"mnemonic\":") + Quote(row.Mnemonic) +
                                ",\"size\":" + std::to_string(row.Size) + ",\"states\":" + std::to_string(row.States) +
                                ",\"statesTaken\":" + std::to_string(row.StatesTaken) + ",\"control\":\"" +
                                NameControlKind(row.Control) + "\",\"conditional\":" + Truth(row.Conditional) +
                                ",\"documented\":" + Truth(row.Documented) + "}";
    }
    InstructionTableJson += "]";
    return InstructionTableJson.c_str();
}
