// End-to-end golden cases: each directory below tests/golden/<program>/ runs
// the real program once and compares every output byte.
//
// A case directory holds:
//   args         the command-line arguments, one per line (absent: none)
//   in/          files copied into an empty working directory before the run
//   out/         the files expected afterwards, byte for byte; out/stdout is
//                the expected standard output (absent: it must be empty)
//   out/NAME.nonzero  instead of out/NAME for large binary files: a line
//                "size N", then lines "HEXOFFSET: HH HH ..."; every byte not
//                listed is 0
//   out/NAME.exists    instead of out/NAME: the file must be there, whatever
//                it holds (a file that another program's cases check)
//   out/stderr   the expected standard error (absent: it must be empty)
//   status       the expected exit status (absent: 0)
// After the run the working directory holds exactly the files of in/ and
// out/: a file that the program must not create is simply not in out/.

#include "support/RunProgram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct GoldenCase {
    std::string Program;   // path of the built program
    fs::path Directory;
    std::string Name;
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const GoldenCase& golden, std::ostream* out)
{
    *out << golden.Directory.string();
}

std::vector<std::string> ReadArguments(const fs::path& file)
{
    std::vector<std::string> args;
    if (!fs::exists(file)) {
        return args;
    }
    std::istringstream lines(ReadFileBytes(file));
    for (std::string line; std::getline(lines, line);) {
        args.push_back(line);
    }
    return args;
}

std::set<std::string> ListFiles(const fs::path& root)
{
    std::set<std::string> files;
    if (!fs::exists(root)) {
        return files;
    }
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_directory()) {
            files.insert(fs::relative(entry.path(), root).string());
        }
    }
    return files;
}

// Expands the .nonzero form into the full expected bytes.
std::string ExpandNonzero(const std::string& text)
{
    std::istringstream lines(text);
    std::string word;
    std::size_t size = 0;
    lines >> word >> size;
    std::string bytes(size, '\0');
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string offsetText;
        if (!(fields >> offsetText)) {
            continue;
        }
        std::size_t offset = std::stoul(offsetText, nullptr, 16);
        for (std::string hex; fields >> hex; ++offset) {
            if (offset < bytes.size()) {
                bytes[offset] = static_cast<char>(std::stoul(hex, nullptr, 16));
            }
        }
    }
    return bytes;
}

void ExpectSameBytes(const std::string& name, const std::string& expected, const std::string& actual)
{
    if (expected == actual) {
        return;
    }
    const auto mismatch = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
    const std::size_t at = static_cast<std::size_t>(mismatch.first - expected.begin());
    ADD_FAILURE() << name << ": expected " << expected.size() << " bytes, got " << actual.size()
                  << ", first difference at byte " << at << "\n--- expected:\n"
                  << (expected.size() < 4096 ? expected : "(binary)") << "\n--- actual:\n"
                  << (actual.size() < 4096 ? actual : "(binary)");
}

class Golden : public testing::TestWithParam<GoldenCase> {};

TEST_P(Golden, OutputsMatch)
{
    const GoldenCase& golden = GetParam();
    ScratchDirectory work;
    if (fs::exists(golden.Directory / "in")) {
        fs::copy(golden.Directory / "in", work.Path, fs::copy_options::recursive);
    }
    const RunResult result =
        RunProgram(golden.Program, ReadArguments(golden.Directory / "args"), work.Path);
    const std::string status = ReadFileBytes(golden.Directory / "status");
    EXPECT_EQ(result.ExitStatus, status.empty() ? 0 : std::stoi(status));

    const fs::path outDir = golden.Directory / "out";
    std::set<std::string> expectedFiles = ListFiles(golden.Directory / "in");
    ExpectSameBytes("stdout", ReadFileBytes(outDir / "stdout"), result.Stdout);
    ExpectSameBytes("stderr", ReadFileBytes(outDir / "stderr"), result.Stderr);
    for (std::string name : ListFiles(outDir)) {
        if (name == "stdout" || name == "stderr") {
            continue;
        }
        if (fs::path(name).extension() == ".exists") {
            name = fs::path(name).replace_extension().string();
            expectedFiles.insert(name);
            EXPECT_TRUE(fs::exists(work.Path / name)) << name << " was not written";
            continue;
        }
        std::string expected = ReadFileBytes(outDir / name);
        if (fs::path(name).extension() == ".nonzero") {
            expected = ExpandNonzero(expected);
            name = fs::path(name).replace_extension().string();
        }
        expectedFiles.insert(name);
        ASSERT_TRUE(fs::exists(work.Path / name)) << name << " was not written";
        ExpectSameBytes(name, expected, ReadFileBytes(work.Path / name));
    }
    const std::set<std::string> actualFiles = ListFiles(work.Path);
    for (const std::string& name : actualFiles) {
        EXPECT_TRUE(expectedFiles.count(name)) << name << " was written but is not expected";
    }
}

std::vector<GoldenCase> FindCases()
{
    const std::pair<const char*, const char*> programs[] = {
        {"corvane", CORVANE_PATH},
        {"tessily", TESSILY_PATH},
        {"go8085", GO8085_PATH},
    };
    std::vector<GoldenCase> cases;
    for (const auto& [folder, program] : programs) {
        const fs::path root = fs::path(GOLDEN_DIR) / folder;
        if (!fs::exists(root)) {
            continue;
        }
        for (const auto& entry : fs::directory_iterator(root)) {
            if (entry.is_directory()) {
                cases.push_back({program, entry.path(),
                                 std::string(folder) + "_" + entry.path().filename().string()});
            }
        }
    }
    std::sort(cases.begin(), cases.end(),
              [](const GoldenCase& a, const GoldenCase& b) { return a.Name < b.Name; });
    return cases;
}

std::string CaseName(const testing::TestParamInfo<GoldenCase>& info)
{
    std::string name = info.param.Name;
    std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, testing::ValuesIn(FindCases()), CaseName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Golden);

}  // namespace
