// Whole-process tests of Run8085 that the golden directories cannot
// express: the shipped example through the whole toolchain, and the files
// that --out and --trace leave (their mode, and nothing when they fail).

#include "support/RunProgram.h"

#include <gtest/gtest.h>

#include <string>

namespace fs = std::filesystem;

namespace {

// The countdown example: Corvane, then Pass2 when it is built (otherwise
// the machine code shipped beside the example, which is what Pass2 makes of
// it), then Tessily and Run8085. The final state is tests/run8085/countdown.report.
TEST(Toolchain, CountdownExampleRunsToItsFinalState)
{
    ScratchDirectory work;
    const fs::path examples = fs::path(SOURCE_DIR) / "examples";
    fs::create_directories(work.Path / "etc");
    fs::copy_file(fs::path(SOURCE_DIR) / "etc" / "opcodes.txt", work.Path / "etc" / "opcodes.txt");
    fs::copy_file(examples / "countdown.asm", work.Path / "countdown.asm");
    fs::copy_file(examples / "countdown.regs", work.Path / "countdown.regs");

    ASSERT_EQ(RunProgram(CORVANE_PATH, {"countdown.asm"}, work.Path).ExitStatus, 0);
#ifdef PASS2_PATH
    const RunResult pass2 = RunProgram(PASS2_PATH, {"countdown.asm"}, work.Path);
    ASSERT_EQ(pass2.ExitStatus, 0) << pass2.Stderr;
    const std::string machineCode = "countdown.asm.hex";
#else
    fs::copy_file(examples / "countdown.hex", work.Path / "countdown.hex");
    const std::string machineCode = "countdown.hex";
#endif
    const RunResult tessily = RunProgram(TESSILY_PATH, {"countdown.regs", machineCode, "countdown.img"}, work.Path);
    ASSERT_EQ(tessily.ExitStatus, 0);
    ASSERT_EQ(tessily.Stdout, "");

    const RunResult run = RunProgram(RUN8085_PATH, {"countdown.img", "--dump", "2040-204D"}, work.Path);
    EXPECT_EQ(run.ExitStatus, 0);
    EXPECT_EQ(run.Stderr, "");
    EXPECT_EQ(run.Stdout, ReadFileBytes(fs::path(SOURCE_DIR) / "tests" / "run8085" / "countdown.report"));
}

// A program of one HLT at 0000H.
struct HaltWorkspace {
    ScratchDirectory Dir;
    HaltWorkspace()
    {
        WriteFileBytes(Dir.Path / "halt.bin", "\x76");
    }
    RunResult Run(std::vector<std::string> args, mode_t mask = 022) const
    {
        args.insert(args.begin(), {"--load", "halt.bin@0"});
        return RunProgram(RUN8085_PATH, args, Dir.Path, mask);
    }
};

TEST(Run8085, OutputFilesAre0664LessTheUmask)
{
    HaltWorkspace ws;
    ASSERT_EQ(ws.Run({"--out", "end.img", "--trace", "trace.txt"}, 0).ExitStatus, 0);
    EXPECT_EQ(FileMode(ws.Dir.Path / "end.img"), 0664u);
    EXPECT_EQ(FileMode(ws.Dir.Path / "trace.txt"), 0664u);
}

TEST(Run8085, OutputThatCannotBeWrittenFailsAndLeavesNothing)
{
    struct Row {
        std::vector<std::string> Args;
        const char* Error;
        bool Report; // the run happens and is reported before the image is written
    } rows[] = {
        {{"--out", "dir"}, "dir: error: cannot write the image: Is a directory\n", true},
        {{"--out", "missing/end.img"},
         "missing/end.img: error: cannot write the image: No such file or directory\n",
         true},
        {{"--trace", "missing/t.txt"},
         "missing/t.txt: error: cannot create the trace: No such file or directory\n",
         false},
    };
    for (const Row& row : rows) {
        HaltWorkspace ws;
        fs::create_directory(ws.Dir.Path / "dir");
        const RunResult result = ws.Run(row.Args);
        EXPECT_EQ(result.ExitStatus, 1);
        EXPECT_EQ(result.Stderr, row.Error);
        EXPECT_EQ(result.Stdout.rfind("stop: halt\n", 0) == 0, row.Report) << row.Error;
        std::size_t files = 0;
        for (const auto& entry : fs::recursive_directory_iterator(ws.Dir.Path))
            files += entry.is_regular_file() ? 1 : 0;
        EXPECT_EQ(files, 1u) << row.Error; // halt.bin alone: no temporary file left
    }
}

} // namespace
