// Whole-process tests of Run8085 that the golden directories cannot
// express: the shipped example through the whole toolchain, and the files
// that --out and --trace leave (their mode, and nothing when they fail).

#include "support/RunProgram.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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

// The names of 255 bytes, the most a name may have, are written, whatever
// their temporary names would add.
TEST(Run8085, OutputsOfTheLongestNamesAreWritten)
{
    HaltWorkspace ws;
    const std::string image = std::string(251, 'o') + ".img";
    const std::string trace = std::string(251, 't') + ".txt";
    const RunResult result = ws.Run({"--out", image, "--trace", trace});
    EXPECT_EQ(result.ExitStatus, 0) << result.Stderr;
    EXPECT_EQ(ReadFileBytes(ws.Dir.Path / image).size(), 65560u);
    EXPECT_EQ(ReadFileBytes(ws.Dir.Path / trace).substr(0, 8), "1 0000: ");
}

// Starts Run8085 in dir with its output discarded, and gives its process id.
// The signals the test sends end it however the test itself was started
// (a shell starts background jobs with SIGINT ignored).
pid_t StartRun8085(const std::vector<std::string>& args, const fs::path& dir)
{
    std::vector<std::string> argvText{RUN8085_PATH};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argvText)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        const struct rlimit cpu = {_RunCpuSeconds, _RunCpuSeconds};
        const struct rlimit fileSize = {_RunFileBytes, _RunFileBytes};
        if (null < 0 || ::dup2(null, 0) < 0 || ::dup2(null, 1) < 0 || ::dup2(null, 2) < 0 ||
            ::chdir(dir.c_str()) != 0 || ::setrlimit(RLIMIT_CPU, &cpu) != 0 ||
            ::setrlimit(RLIMIT_FSIZE, &fileSize) != 0)
            ::_exit(127);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP})
            std::signal(signal, SIG_DFL);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

std::set<std::string> FileNamesIn(const fs::path& dir)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

// A run that never ends, stopped by a signal while it writes its trace:
// the trace's temporary file goes, and the program ends by that signal.
TEST(Run8085, ASignalRemovesTheTemporaryFilesAndEndsTheRun)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        ScratchDirectory dir;
        WriteFileBytes(dir.Path / "loop.bin", "\xC3\x00\x00"); // JMP 0000H
        const pid_t pid = StartRun8085(
            {"--load", "loop.bin@0", "--max-steps", "0", "--trace", "trace.txt", "--out", "end.img"}, dir.Path);
        ASSERT_GT(pid, 0);
        bool tracing = false;
        for (int wait = 0; wait < 1000 && !tracing; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            tracing = FileNamesIn(dir.Path).size() > 1;
        }
        EXPECT_TRUE(tracing) << "no temporary trace file appeared";
        ::kill(pid, tracing ? signal : SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << ::strsignal(signal);
        EXPECT_EQ(FileNamesIn(dir.Path), std::set<std::string>{"loop.bin"}) << ::strsignal(signal);
    }
}

} // namespace
