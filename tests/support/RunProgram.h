// Running a built program as a whole process in a scratch directory, for the
// end-to-end tests.
#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

constexpr unsigned long _RunCpuSeconds = 60;
constexpr unsigned long _RunFileBytes = 256ul << 20;

struct RunResult {
    int ExitStatus = -1; // -1 when the process did not exit normally
    std::string Stdout;
    std::string Stderr;
};

// Runs program with args in directory cwd under the given umask, with the
// file input as standard input (empty by default), and collects its standard
// output and error. A program that runs away is stopped rather than left to
// hang the test or fill the disk: it may use _RunCpuSeconds of processor time
// and write files of up to _RunFileBytes; past either it is killed, and
// ExitStatus is -1.
RunResult RunProgram(const std::string& program, const std::vector<std::string>& args, const std::filesystem::path& cwd,
                     mode_t umaskBits = 022, const std::filesystem::path& input = "/dev/null");

// A fresh empty directory, removed again when the object is destroyed.
struct ScratchDirectory {
    std::filesystem::path Path;
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
};

// Whole contents of a file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);

// Writes bytes to a file, creating its directories.
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

// Permission bits of a file.
mode_t FileMode(const std::filesystem::path& path);
