// The front ends end every program alike: Run8085, the debugger's
// `continue` at the terminal (Run8085 --debug with a file of commands) and
// the page's debugger module (debug/WebExports.cpp, called natively here as
// the page calls it in Debug8085.wasm; debugger_module.mjs runs the module
// itself) stop for the same reason with the same registers, flags, memory,
// ports and counts. FrontEndCases.h lists the programs.
#include "FrontEndCases.h"

#include "support/RunProgram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

extern "C" {
int DebugLoad(const char* image, std::size_t imageLength, const char* map, std::size_t mapLength, const char* args,
              std::size_t argsLength);
int DebugCommand(const char* line, std::size_t length);
const char* DebugOutputPointer();
std::size_t DebugOutputLength();
const char* DebugStateJson();
const std::uint8_t* DebugMemoryPointer();
}

namespace {

// Disagreements shown per front end before the rest are only counted.
constexpr int _Shown = 12;

struct Prepared {
    FrontEndCase Case;
    EndState Plain;
};

// The cases and Run8085's end of each, made once for both tests.
class FrontEnds : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Scratch = new ScratchDirectory;
        CaseSources sources;
        sources.Repository = SOURCE_DIR;
        sources.Go8085 = GO8085_PATH;
        sources.CpuTests = CPU_TESTS_DIR;
        std::vector<FrontEndCase> cases;
        std::vector<std::string> notes;
        if (!WriteFrontEndCases(sources, Scratch->Path, cases, notes, SetUpError))
            return;
        for (const std::string& note : notes)
            std::printf("note: %s\n", note.c_str());
        for (FrontEndCase& run : cases) {
            Prepared prepared{run, {}};
            std::string error;
            if (!RunPlain(RUN8085_PATH, run, prepared.Plain, error)) {
                SetUpError = run.Name + ": " + error;
                return;
            }
            // Read again for each comparison rather than held: 64 KiB a
            // case, 35 MiB in all.
            prepared.Plain.Memory.clear();
            Cases.push_back(std::move(prepared));
        }
    }
    static void TearDownTestSuite()
    {
        delete Scratch;
        Scratch = nullptr;
        Cases.clear();
    }
    void SetUp() override
    {
        ASSERT_EQ(SetUpError, "");
        ASSERT_GE(Cases.size(), 500u);
    }

    static ScratchDirectory* Scratch;
    static std::vector<Prepared> Cases;
    static std::string SetUpError;
};

ScratchDirectory* FrontEnds::Scratch = nullptr;
std::vector<Prepared> FrontEnds::Cases;
std::string FrontEnds::SetUpError;

// Run8085's end of the case, with its memory.
EndState WithMemory(const Prepared& prepared)
{
    EndState plain = prepared.Plain;
    plain.Memory = ReadFileBytes(prepared.Case.Folder / "final.img").substr(0, 65536);
    return plain;
}

// Collects the disagreements of one front end. A case is shown whole when
// its kind of disagreement (which fields, and the stop reasons) is new, up
// to _Shown of them; the rest are counted.
struct Tally {
    std::string FrontEnd;
    int Cases = 0;
    int Disagreeing = 0;
    int Shown = 0;
    std::map<std::string, int> ByField; // "stop" -> cases
    std::set<std::string> Kinds;
    std::string Names; // the cases that disagree

    void Add(const std::string& name, const std::vector<std::string>& differences)
    {
        ++Cases;
        if (differences.empty())
            return;
        ++Disagreeing;
        Names += " " + name;
        std::string text, kind;
        for (const std::string& difference : differences) {
            text += "\n  " + difference;
            const std::string field = difference.substr(0, difference.find(':'));
            ++ByField[field];
            kind += (field == "stop" ? difference : field) + ";";
        }
        if (Kinds.insert(kind).second && ++Shown <= _Shown)
            ADD_FAILURE() << name << ": " << FrontEnd << " ends otherwise than Run8085:" << text;
    }
    void Finish() const
    {
        std::string fields;
        for (const auto& [field, count] : ByField)
            fields += " " + field + " (" + std::to_string(count) + ")";
        std::printf("%s: %d cases, %d end otherwise than Run8085%s%s\n", FrontEnd.c_str(), Cases, Disagreeing,
                    Disagreeing ? "; differing:" : "", fields.c_str());
        if (Disagreeing)
            std::printf("%s: the cases that disagree:%s\n", FrontEnd.c_str(), Names.c_str());
        EXPECT_EQ(Disagreeing, 0) << FrontEnd << ": cases that end otherwise than Run8085, in:" << fields;
    }
};

TEST_F(FrontEnds, TerminalDebuggerContinueEndsAsRun8085)
{
    Tally tally;
    tally.FrontEnd = "Run8085 --debug";
    int random = 0;
    for (const Prepared& prepared : Cases) {
        // Every program but four in five random ones, which the module's
        // test runs: a run with a transcript of the whole memory costs
        // three plain runs.
        if (prepared.Case.Name.starts_with("random/") && random++ % 5 != 0)
            continue;
        EndState end;
        std::string error;
        if (!RunTerminalDebugger(RUN8085_PATH, prepared.Case, end, error)) {
            tally.Add(prepared.Case.Name, {"transcript: " + error});
            continue;
        }
        tally.Add(prepared.Case.Name, CompareEnds(WithMemory(prepared), end, "debugger", _NotInTranscript));
    }
    tally.Finish();
}

// --- The page's module, called natively --------------------------------------

std::string Said()
{
    return std::string(DebugOutputPointer(), DebugOutputLength());
}

// A number, true or false after "key": in the module's JSON.
std::uint64_t JsonNumber(const std::string& json, const std::string& key)
{
    const std::size_t at = json.find("\"" + key + "\":");
    if (at == std::string::npos)
        return ~std::uint64_t{0};
    const std::string value = json.substr(at + key.size() + 3, 5);
    if (value.starts_with("true"))
        return 1;
    if (value.starts_with("false"))
        return 0;
    return std::stoull(json.substr(at + key.size() + 3));
}

std::string Hex(std::uint64_t value, int digits)
{
    char text[8];
    std::snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(value));
    return text;
}

// The module's state in the report's keys.
EndState ReadModuleState(bool is8085)
{
    const std::string json = DebugStateJson();
    EndState end;
    std::smatch match;
    std::regex_search(json, match, std::regex(R"re("stop":"([a-z-]+)")re"));
    const std::string stop = match[1];
    end.Fields["stop"] = stop == "halted" ? "halt" : stop;
    end.Fields["instructions"] = std::to_string(JsonNumber(json, "instructions"));
    end.Fields["t-states"] = std::to_string(JsonNumber(json, "states"));
    end.Fields["PC"] = Hex(JsonNumber(json, "pc"), 4);
    end.Fields["SP"] = Hex(JsonNumber(json, "sp"), 4);
    const std::pair<const char*, const char*> registers[] = {{"A", "a"}, {"B", "b"}, {"C", "c"}, {"D", "d"},
                                                             {"E", "e"}, {"H", "h"}, {"L", "l"}};
    for (const auto& [name, key] : registers)
        end.Fields[name] = Hex(JsonNumber(json, key), 2);
    std::vector<std::pair<const char*, const char*>> flags = {
        {"S", "s"}, {"Z", "z"}, {"AC", "ac"}, {"P", "p"}, {"CY", "cy"}};
    if (is8085)
        flags.insert(flags.end(), {{"V", "v"}, {"K", "k"}});
    for (const auto& [name, key] : flags)
        end.Fields[name] = std::to_string(JsonNumber(json, key));
    end.Fields["PSW"] = Hex(JsonNumber(json, "f"), 2);
    end.Fields["IE"] = std::to_string(JsonNumber(json, "ie"));
    if (is8085) {
        const std::uint64_t masks = JsonNumber(json, "masks");
        end.Fields["M5.5"] = std::to_string(masks & 1);
        end.Fields["M6.5"] = std::to_string((masks >> 1) & 1);
        end.Fields["M7.5"] = std::to_string((masks >> 2) & 1);
        end.Fields["I7.5"] = std::to_string(JsonNumber(json, "i75"));
        end.Fields["SOD"] = std::to_string(JsonNumber(json, "sod"));
    }
    const std::string ports = json.substr(json.find("\"outPorts\":"));
    const std::regex pair(R"(\[(\d+),(\d+)\])");
    for (std::sregex_iterator it(ports.begin(), ports.end(), pair), last; it != last; ++it)
        end.Fields["out " + Hex(std::stoul((*it)[1]), 2)] = Hex(std::stoul((*it)[2]), 2);
    end.Memory.assign(reinterpret_cast<const char*>(DebugMemoryPointer()), 65536);
    return end;
}

TEST_F(FrontEnds, DebuggerModuleContinueEndsAsRun8085)
{
    Tally tally;
    tally.FrontEnd = "the debugger module";
    for (const Prepared& prepared : Cases) {
        const FrontEndCase& run = prepared.Case;
        const std::string image = ReadFileBytes(run.Folder / "image");
        const std::string map = run.HasMap ? ReadFileBytes(run.Folder / "map") : "";
        const std::string options = ReadFileBytes(run.Folder / "options");
        if (DebugLoad(image.data(), image.size(), map.data(), map.size(), options.data(), options.size()) != 0) {
            tally.Add(run.Name, {"load: " + Said()});
            continue;
        }
        DebugCommand("continue", 8);
        // What continue printed: the console, then the reason, the source
        // line and the registers.
        std::string console = Said();
        for (int line = 0; line < 3 && !console.empty(); ++line) {
            console.pop_back();
            const std::size_t end = console.rfind('\n');
            console.erase(end == std::string::npos ? 0 : end + 1);
        }
        const bool is8085 = std::find(run.Options.begin(), run.Options.end(), "8080") == run.Options.end();
        EndState end = ReadModuleState(is8085);
        end.Console = console;
        tally.Add(run.Name, CompareEnds(WithMemory(prepared), end, "module", {}));
    }
    tally.Finish();
}

} // namespace
