// Whole-process behaviours of Corvane that the golden directories cannot
// express: file modes, truncation, missing directories and argument paths.

#include "support/RunProgram.h"

#include <gtest/gtest.h>

#include <string>

namespace fs = std::filesystem;

namespace {

const std::string _Opcodes = "2\nMVI 2\nHLT 1\n";

// A working directory with etc/opcodes.txt and a source prog.asm.
struct Workspace {
    ScratchDirectory Dir;
    explicit Workspace(const std::string& source = "HLT\n")
    {
        WriteFileBytes(Dir.Path / "etc/opcodes.txt", _Opcodes);
        WriteFileBytes(Dir.Path / "prog.asm", source);
    }
    RunResult Run(const std::vector<std::string>& args, mode_t mask = 022) const
    {
        return RunProgram(CORVANE_PATH, args, Dir.Path, mask);
    }
};

TEST(Corvane, OutputFilesAreCreated0664LessTheUmask)
{
    Workspace ws("START: HLT\n");
    ASSERT_EQ(ws.Run({"prog.asm"}, 0).ExitStatus, 0);
    EXPECT_EQ(FileMode(ws.Dir.Path / "etc/log-Pass1.txt"), 0664u);
    EXPECT_EQ(FileMode(ws.Dir.Path / "prog.asm.pass1"), 0664u);
    EXPECT_EQ(FileMode(ws.Dir.Path / "prog.asm.sym"), 0664u);

    Workspace masked("START: HLT\n");
    ASSERT_EQ(masked.Run({"prog.asm"}, 027).ExitStatus, 0);
    EXPECT_EQ(FileMode(masked.Dir.Path / "etc/log-Pass1.txt"), 0640u);
    EXPECT_EQ(FileMode(masked.Dir.Path / "prog.asm.pass1"), 0640u);
    EXPECT_EQ(FileMode(masked.Dir.Path / "prog.asm.sym"), 0640u);
}

TEST(Corvane, ExistingOutputsAreTruncated)
{
    Workspace ws("HLT");
    const std::string stale(5000, 'x');
    WriteFileBytes(ws.Dir.Path / "etc/log-Pass1.txt", stale);
    WriteFileBytes(ws.Dir.Path / "prog.asm.pass1", stale);
    WriteFileBytes(ws.Dir.Path / "prog.asm.sym", stale);
    ASSERT_EQ(ws.Run({"prog.asm"}).ExitStatus, 0);
    EXPECT_EQ(ReadFileBytes(ws.Dir.Path / "prog.asm.pass1"), "8192       HLT\n");
    EXPECT_EQ(ReadFileBytes(ws.Dir.Path / "prog.asm.sym"), "");
    EXPECT_EQ(ReadFileBytes(ws.Dir.Path / "etc/log-Pass1.txt").find('x'), std::string::npos);
}

TEST(Corvane, NoArgumentTouchesNoFile)
{
    Workspace ws;
    WriteFileBytes(ws.Dir.Path / "etc/log-Pass1.txt", "earlier run\n");
    const RunResult result = ws.Run({});
    EXPECT_EQ(result.ExitStatus, 0);
    EXPECT_EQ(result.Stdout, "Usage: Corvane <filename>\nOutput will be in <filename>.pass1 and <filename>.sym\n");
    EXPECT_EQ(ReadFileBytes(ws.Dir.Path / "etc/log-Pass1.txt"), "earlier run\n");

    Workspace fresh;
    fs::remove(fresh.Dir.Path / "etc/opcodes.txt");
    fresh.Run({});
    EXPECT_TRUE(fs::is_empty(fresh.Dir.Path / "etc"));
}

TEST(Corvane, WithoutEtcTheRunGoesOnAndLosesOnlyTheLog)
{
    ScratchDirectory dir;
    WriteFileBytes(dir.Path / "prog.asm", "START: HLT\n");
    const RunResult result = RunProgram(CORVANE_PATH, {"prog.asm"}, dir.Path);
    EXPECT_EQ(result.ExitStatus, 0);
    EXPECT_EQ(result.Stdout, "");
    EXPECT_FALSE(fs::exists(dir.Path / "etc"));
    // No opcode table: HLT is no mnemonic, but the label is still collected.
    EXPECT_EQ(ReadFileBytes(dir.Path / "prog.asm.pass1"), "");
    EXPECT_EQ(ReadFileBytes(dir.Path / "prog.asm.sym"), "START \t 2 \t 8192\n");
}

TEST(Corvane, OutputsLandBesideASourceInAnotherDirectory)
{
    Workspace ws;
    WriteFileBytes(ws.Dir.Path / "src/dir/prog.asm", "HLT\n");
    const RunResult result = ws.Run({"src/dir/prog.asm", "ignored"});
    EXPECT_EQ(result.ExitStatus, 0);
    EXPECT_EQ(ReadFileBytes(ws.Dir.Path / "src/dir/prog.asm.pass1"), "8192       HLT\n");
    EXPECT_TRUE(fs::exists(ws.Dir.Path / "src/dir/prog.asm.sym"));
    EXPECT_FALSE(fs::exists(ws.Dir.Path / "ignored.pass1"));
    EXPECT_NE(ReadFileBytes(ws.Dir.Path / "etc/log-Pass1.txt")
                  .find("Starting with Pass 1 on src/dir/prog.asm Output to src/dir/prog.asm.pass1\n"),
              std::string::npos);
}

TEST(Corvane, ListingThatCannotBeCreatedIsReported)
{
    Workspace ws;
    fs::create_directory(ws.Dir.Path / "prog.asm.pass1");
    const RunResult result = ws.Run({"prog.asm"});
    EXPECT_EQ(result.ExitStatus, 0);
    EXPECT_EQ(result.Stdout, "FATAL ERROR: Unable to open prog.asm.pass1\n");
    const std::string log = ReadFileBytes(ws.Dir.Path / "etc/log-Pass1.txt");
    EXPECT_EQ(log.find("I/O File Ready"), std::string::npos);
    EXPECT_NE(log.find("Pass 1 completed"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(ws.Dir.Path / "prog.asm.sym"), "");
}

TEST(Corvane, MissingSourceLeavesAnExistingListingUntouched)
{
    Workspace ws;
    WriteFileBytes(ws.Dir.Path / "gone.asm.pass1", "earlier listing\n");
    const RunResult result = ws.Run({"gone.asm"});
    EXPECT_EQ(result.Stdout, "FATAL ERROR: Unable to open gone.asm\n");
    EXPECT_EQ(ReadFileBytes(ws.Dir.Path / "gone.asm.pass1"), "earlier listing\n");
    EXPECT_EQ(ReadFileBytes(ws.Dir.Path / "gone.asm.sym"), "");
}

TEST(Corvane, SourceThatIsADirectoryCannotBeOpened)
{
    Workspace ws;
    fs::create_directory(ws.Dir.Path / "folder");
    const RunResult result = ws.Run({"folder"});
    EXPECT_EQ(result.ExitStatus, 0);
    EXPECT_EQ(result.Stdout, "FATAL ERROR: Unable to open folder\n");
    EXPECT_FALSE(fs::exists(ws.Dir.Path / "folder.pass1"));
    EXPECT_EQ(ReadFileBytes(ws.Dir.Path / "folder.sym"), "");
}

} // namespace
