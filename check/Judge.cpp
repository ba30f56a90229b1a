#include "Judge.h"

#include <cstdio>

namespace {

std::string Hex(unsigned value, int digits)
{
    char text[8];
    std::snprintf(text, sizeof text, "%0*XH", digits, value);
    return text[0] >= 'A' ? "0" + std::string(text) : std::string(text);
}

std::string ByteList(const std::vector<std::uint8_t>& bytes)
{
    constexpr std::size_t _Shown = 16;
    if (bytes.empty())
        return "nothing";
    std::string text;
    for (std::size_t i = 0; i < bytes.size() && i < _Shown; ++i)
        text += (i ? " " : "") + HexByte(bytes[i]);
    if (bytes.size() > _Shown)
        text += " ... (" + std::to_string(bytes.size()) + " values)";
    return text;
}

bool IsPair(const std::string& name)
{
    return name.size() == 2;
}

std::string DescribeStop(const CheckCase& test, const CaseRun& run, const SourceMap& map)
{
    const std::string where = DescribePlace(map, run.Pc) + " " + run.StopInstruction;
    switch (run.Stop) {
    case RunStop::Halt: return "halted at " + where;
    case RunStop::Kit: return "left the program at " + where + " (a kit ending)";
    case RunStop::Steps:
        return "did not end within " + std::to_string(test.MaxSteps) + " steps (the step limit); it was at " + where;
    case RunStop::States:
        return "did not end within " + std::to_string(test.MaxStates) + " T-states (the T-state limit); it was at " + where;
    case RunStop::Stopped: return "the check was stopped at " + where;
    case RunStop::BadStart:
        return "the program counter starts at " + HexWord(run.Pc) + ", where the program placed nothing";
    }
    return {};
}

bool StopMatches(ExpectedStop expected, RunStop stop)
{
    switch (expected) {
    case ExpectedStop::End: return stop == RunStop::Halt || stop == RunStop::Kit;
    case ExpectedStop::Halt: return stop == RunStop::Halt;
    case ExpectedStop::Kit: return stop == RunStop::Kit;
    case ExpectedStop::Steps: return stop == RunStop::Steps;
    }
    return false;
}

const char* ExpectedStopWords(ExpectedStop expected)
{
    switch (expected) {
    case ExpectedStop::End: return "expected it to end";
    case ExpectedStop::Halt: return "expected a halt";
    case ExpectedStop::Kit: return "expected a kit ending (a jump out of the program, to the monitor)";
    case ExpectedStop::Steps: return "expected it to run on to the step limit";
    }
    return "";
}

std::string CheckStop(const CheckCase& test, const CaseRun& run, const SourceMap& map)
{
    if (StopMatches(test.Stop, run.Stop))
        return {};
    const std::string said = DescribeStop(test, run, map);
    if (run.Stop != RunStop::Halt && run.Stop != RunStop::Kit)
        return said;
    return said + ", " + ExpectedStopWords(test.Stop);
}

std::string CheckMemory(const CheckCase& test, const CaseRun& run, const SourceMap& map)
{
    std::size_t note = 0;
    for (std::size_t r = 0; r < test.ExpectMemory.size(); ++r) {
        const BytesAt& expected = test.ExpectMemory[r];
        for (std::size_t i = 0; i < expected.Bytes.size(); ++i, ++note) {
            const std::uint8_t actual = run.Memory[r].Bytes[i];
            if (actual == expected.Bytes[i])
                continue;
            const StoreNote& store = run.Stores[note];
            std::string text = "[" + HexWord(store.Address) + "] = " + HexByte(actual) + ", expected " +
                               HexByte(expected.Bytes[i]);
            if (!store.Stored) {
                // Unseen stores aside, a byte that changed was stored into.
                if (actual == store.Before)
                    text += "; the program never stored there";
            } else {
                const MappedRecord* record = FindRecordAtAddress(map, store.From);
                text += "; last stored by " + store.Instruction +
                        (record ? " at " + map.SourceName + ":" + std::to_string(record->SourceLine)
                                : " at " + HexWord(store.From));
            }
            return text;
        }
    }
    return {};
}

std::string CheckValues(const std::vector<NamedValue>& expected, const std::vector<NamedValue>& actual, bool flags)
{
    for (const NamedValue& want : expected) {
        for (const NamedValue& got : actual) {
            if (got.Name != want.Name || got.Value == want.Value)
                continue;
            if (flags)
                return "flag " + got.Name + " = " + std::to_string(got.Value) + ", expected " +
                       std::to_string(want.Value);
            const auto show = [&](unsigned v) { return IsPair(got.Name) ? HexWord(v) : HexByte(v); };
            return got.Name + " = " + show(got.Value) + ", expected " + show(want.Value);
        }
    }
    return {};
}

std::string CheckOut(const CheckCase& test, const CaseRun& run)
{
    for (const PortBytes& want : test.ExpectOut) {
        std::vector<std::uint8_t> got;
        for (const PortBytes& out : run.Out)
            if (out.Port == want.Port)
                got = out.Bytes;
        if (got != want.Bytes)
            return "OUT " + HexByte(want.Port) + " wrote " + ByteList(got) + ", expected " + ByteList(want.Bytes);
    }
    return {};
}

} // namespace

std::string HexWord(unsigned value)
{
    return Hex(value & 0xFFFF, 4);
}

std::string HexByte(unsigned value)
{
    return Hex(value & 0xFF, 2);
}

std::string DescribePlace(const SourceMap& map, std::uint16_t address)
{
    const MappedRecord* record = FindRecordAtAddress(map, address);
    if (record == nullptr)
        return HexWord(address);
    return HexWord(address) + " (" + map.SourceName + ":" + std::to_string(record->SourceLine) + ")";
}

CaseVerdict JudgeCase(const CheckCase& test, const CaseRun& run, const SourceMap& map)
{
    std::string difference = CheckStop(test, run, map);
    if (difference.empty())
        difference = CheckMemory(test, run, map);
    if (difference.empty())
        difference = CheckValues(test.ExpectRegisters, run.Registers, false);
    if (difference.empty())
        difference = CheckValues(test.ExpectFlags, run.Flags, true);
    if (difference.empty())
        difference = CheckOut(test, run);
    if (difference.empty() && test.ExpectStates && run.States > *test.ExpectStates)
        difference = "took " + std::to_string(run.States) + " T-states, expected at most " +
                     std::to_string(*test.ExpectStates);
    return {difference.empty(), difference};
}
