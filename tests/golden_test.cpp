// End-to-end golden cases. One run of this program checks one case directory
// below tests/golden/<tree>/: it runs the program once and compares every
// output byte.
//
//   golden_tests <program> <case directory>
//
// tests/CMakeLists.txt registers one CTest test per case directory, named
// golden/<tree>/<case>, and says how to add a program's tree.
//
// A case directory holds:
//   args         the command-line arguments, one per line (absent: none)
//   stdin        the bytes given as standard input (absent: none)
//   status       the expected exit status in decimal (absent: 0)
//   in/          files copied into an empty working directory before the run
//   out/         the files expected afterwards, byte for byte; out/stdout and
//                out/stderr are the expected standard output and error
//                (absent: they must be empty)
//   out/NAME.nonzero  instead of out/NAME for large binary files: a line
//                "size N", then lines "HEXOFFSET: HH HH ..."; every byte not
//                listed is 0
//   out/NAME.exists  instead of out/NAME: the file must be there, whatever
//                it holds (a file whose bytes another tree's cases check)
// After the run the working directory holds exactly the files of in/ and
// out/: a file that the program must not create is simply not in out/.
// A directory that is missing or holds none of these is no case and fails.

#include "support/RunProgram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

/* Global state of the runner: the case of this run, set once by main */
std::string _Program;    // path of the built program
fs::path _CaseDirectory; // the case directory

// The entries that make a directory a golden case.
constexpr std::array<const char*, 5> _CaseEntries = {"args", "stdin", "status", "in", "out"};

bool IsGoldenCase(const fs::path& directory)
{
    return fs::is_directory(directory) && std::any_of(_CaseEntries.begin(), _CaseEntries.end(),
                                                      [&](const char* entry) { return fs::exists(directory / entry); });
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

int ReadExpectedStatus(const fs::path& file)
{
    if (!fs::exists(file)) {
        return 0;
    }
    return std::stoi(ReadFileBytes(file));
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

TEST(Golden, OutputsMatch)
{
    const fs::path& golden = _CaseDirectory;
    ASSERT_TRUE(IsGoldenCase(golden))
        << golden.string() << ": no golden case here (missing, or holds none of args, stdin, status, in/, out/)";
    ScratchDirectory work;
    if (fs::exists(golden / "in")) {
        fs::copy(golden / "in", work.Path, fs::copy_options::recursive);
    }
    const fs::path input = fs::exists(golden / "stdin") ? golden / "stdin" : fs::path("/dev/null");
    const RunResult result = RunProgram(_Program, ReadArguments(golden / "args"), work.Path, 022, input);
    EXPECT_EQ(result.ExitStatus, ReadExpectedStatus(golden / "status"));

    const fs::path outDir = golden / "out";
    std::set<std::string> expectedFiles = ListFiles(golden / "in");
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

} // namespace

int main(int argc, char* argv[])
{
    testing::InitGoogleTest(&argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: golden_tests <program> <case directory>\n");
        return 2;
    }
    _Program = fs::absolute(argv[1]).string();
    _CaseDirectory = argv[2];
    return RUN_ALL_TESTS();
}
