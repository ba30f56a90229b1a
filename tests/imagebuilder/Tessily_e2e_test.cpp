// Whole-process behaviours of Tessily that the golden directories cannot
// express: file modes, long existing images, directories as file names.

#include "support/RunProgram.h"

#include <gtest/gtest.h>

#include <string>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t _ImageBytes = 65560;

// A working directory with a register data file and a machine-code file.
struct Workspace {
    ScratchDirectory Dir;
    Workspace()
    {
        WriteFileBytes(Dir.Path / "regs.txt", "18 52 86 0 255 300 -1 8192 -2 1 0 7 0 1 0\n");
        WriteFileBytes(Dir.Path / "prog.hex", "2000 3E 0A 76\n");
    }
    RunResult Run(const std::vector<std::string>& args, mode_t mask = 022) const
    {
        return RunProgram(TESSILY_PATH, args, Dir.Path, mask);
    }
};

// The image that Workspace's two files give.
std::string ExpectedImage()
{
    std::string image(_ImageBytes, '\0');
    image.replace(0x2000, 3, "\x3E\x0A\x76");
    const unsigned char registers[] = {0x00, 0x20, 0xFE, 0xFF, 0x12, 0x34, 0x56, 0x00, 0xFF, 0x2C, 0xFF, 0x34,
                                       0x56, 0x00, 0xFF, 0x2C, 0xFF, 0x91, 0x01, 0x00, 0x00, 0x01, 0x01, 0x00};
    image.replace(0x10000, sizeof registers, reinterpret_cast<const char*>(registers), sizeof registers);
    return image;
}

TEST(Tessily, TheImageIsCreated0664LessTheUmask)
{
    Workspace open;
    ASSERT_EQ(open.Run({"regs.txt", "prog.hex", "image.bin"}, 0).ExitStatus, 0);
    EXPECT_EQ(FileMode(open.Dir.Path / "image.bin"), 0664u);
    EXPECT_EQ(ReadFileBytes(open.Dir.Path / "image.bin"), ExpectedImage());

    Workspace masked;
    ASSERT_EQ(masked.Run({"regs.txt", "prog.hex", "image.bin"}, 027).ExitStatus, 0);
    EXPECT_EQ(FileMode(masked.Dir.Path / "image.bin"), 0640u);
}

TEST(Tessily, ALongerExistingImageIsCutTo65560Bytes)
{
    Workspace ws;
    WriteFileBytes(ws.Dir.Path / "image.bin", std::string(100000, 'x'));
    const RunResult result = ws.Run({"regs.txt", "prog.hex", "image.bin"});
    EXPECT_EQ(result.ExitStatus, 0);
    EXPECT_EQ(result.Stdout, "");
    EXPECT_EQ(ReadFileBytes(ws.Dir.Path / "image.bin"), ExpectedImage());
}

TEST(Tessily, OutFileMayNameTheRegisterDataFile)
{
    Workspace ws;
    const RunResult result = ws.Run({"regs.txt", "prog.hex", "regs.txt"});
    EXPECT_EQ(result.ExitStatus, 0);
    EXPECT_EQ(result.Stdout, "");
    EXPECT_EQ(ReadFileBytes(ws.Dir.Path / "regs.txt"), ExpectedImage());
}

TEST(Tessily, InputsThatAreDirectoriesCannotBeOpened)
{
    ScratchDirectory dir;
    fs::create_directory(dir.Path / "regs");
    fs::create_directory(dir.Path / "hex");
    const RunResult result = RunProgram(TESSILY_PATH, {"regs", "hex", "image.bin"}, dir.Path);
    EXPECT_EQ(result.ExitStatus, 0);
    EXPECT_EQ(result.Stdout, "Critical Error: Unable to open regs\nCritical Error: Unable to open hex\n");
    EXPECT_EQ(ReadFileBytes(dir.Path / "image.bin"), std::string(_ImageBytes, '\0'));
}

TEST(Tessily, AnOutFileThatIsADirectoryIsReported)
{
    Workspace ws;
    fs::create_directory(ws.Dir.Path / "image.bin");
    const RunResult result = ws.Run({"regs.txt", "prog.hex", "image.bin"});
    EXPECT_EQ(result.ExitStatus, 0);
    EXPECT_EQ(result.Stdout, "Critical Error: Unable to open image.bin\n");
    EXPECT_EQ(result.Stderr, "");
    EXPECT_TRUE(fs::is_directory(ws.Dir.Path / "image.bin"));
    EXPECT_TRUE(fs::is_empty(ws.Dir.Path / "image.bin"));
}

TEST(Tessily, OneArgumentGivesTheUsageLineAndTouchesNoFile)
{
    Workspace ws;
    const RunResult result = ws.Run({"image.bin"});
    EXPECT_EQ(result.ExitStatus, 0);
    EXPECT_EQ(result.Stdout, "Usage: Tessily <RegDataFile> <AssembledFile> <OutFile>\n");
    EXPECT_FALSE(fs::exists(ws.Dir.Path / "image.bin"));
}

} // namespace
