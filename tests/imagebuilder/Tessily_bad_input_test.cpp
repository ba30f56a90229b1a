// Tessily against bad inputs and failing outputs: every case ends promptly
// with exit status 0, a defined image and at most the documented messages.
// One test per row of the "Bad input" table (docs/bad-input.md) that no golden
// case or other test already covers.

#include "support/RunProgram.h"

#include <gtest/gtest.h>

#include <string>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t _ImageBytes = 65560;

// Runs Tessily on the two given input files in a fresh directory and returns
// the result; the image is left in image.bin.
struct TessilyRun {
    ScratchDirectory Dir;
    RunResult Result;
    TessilyRun(const std::string& registers, const std::string& code)
    {
        WriteFileBytes(Dir.Path / "regs.txt", registers);
        WriteFileBytes(Dir.Path / "prog.hex", code);
        Result = RunProgram(TESSILY_PATH, {"regs.txt", "prog.hex", "image.bin"}, Dir.Path);
        EXPECT_EQ(Result.ExitStatus, 0);
        EXPECT_EQ(Result.Stderr, "");
    }
    std::string Image() const
    {
        return ReadFileBytes(Dir.Path / "image.bin");
    }
};

TEST(TessilyBadInput, ImageOnAFullDiskIsReported)
{
    ScratchDirectory dir;
    WriteFileBytes(dir.Path / "regs.txt", "1 2 3 4 5 6 7 8 9 1 1 1 1 1 1\n");
    WriteFileBytes(dir.Path / "prog.hex", "2000 76\n");
    fs::create_symlink("/dev/full", dir.Path / "image.bin");
    RunResult result = RunProgram(TESSILY_PATH, {"regs.txt", "prog.hex", "image.bin"}, dir.Path);
    EXPECT_EQ(result.ExitStatus, 0);
    EXPECT_EQ(result.Stdout, "Critical Error: Unable to write image.bin\n");

    result = RunProgram(TESSILY_PATH, {"missing.txt", "prog.hex", "/dev/full"}, dir.Path);
    EXPECT_EQ(result.ExitStatus, 0);
    EXPECT_EQ(result.Stdout, "Critical Error: Unable to open missing.txt\n"
                             "Critical Error: Unable to write /dev/full\n");
}

TEST(TessilyBadInput, RegisterDataFileOfWords)
{
    const TessilyRun run("alpha beta gamma\ndelta\n", "");
    EXPECT_EQ(run.Result.Stdout, "");
    EXPECT_EQ(run.Image(), std::string(_ImageBytes, '\0'));
}

TEST(TessilyBadInput, FilesOfZeroBytes)
{
    const TessilyRun run(std::string(5000, '\0'), std::string(5000, '\0'));
    EXPECT_EQ(run.Result.Stdout, "");
    EXPECT_EQ(run.Image(), std::string(_ImageBytes, '\0'));
}

TEST(TessilyBadInput, MachineCodeLineOfSeveralMegabytes)
{
    std::string line = "2000";
    while (line.size() < (3u << 20)) {
        line += " 7E";
    }
    const TessilyRun run("", line + "\n3000 C9\n");
    const std::string image = run.Image();
    ASSERT_EQ(image.size(), _ImageBytes);
    // The first 99 characters hold 31 whole items after the address and the
    // first digit of the 32nd; nothing of the rest of the line is loaded.
    EXPECT_EQ(image.substr(0x2000, 33), std::string(31, '\x7E') + '\x07' + '\0');
    EXPECT_EQ(image[0x3000], '\xC9');
}

TEST(TessilyBadInput, BinaryFilesAsInputs)
{
    ScratchDirectory dir;
    fs::copy_file(TESSILY_PATH, dir.Path / "binary");
    const RunResult result = RunProgram(TESSILY_PATH, {"binary", "binary", "image.bin"}, dir.Path);
    EXPECT_EQ(result.ExitStatus, 0);
    EXPECT_EQ(result.Stdout, "");
    EXPECT_EQ(ReadFileBytes(dir.Path / "image.bin").size(), _ImageBytes);
}

} // namespace
