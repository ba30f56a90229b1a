// Whole runs of Go8085 that the golden directories cannot express: runs in
// parallel, signals, links, names that look like options, read-only
// directories, endless input, and the kit formats read back by srec_cat.
// Every test gives Go8085 a TMPDIR of its own and checks that the run left
// nothing there.

#include "support/RunProgram.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// How a started Go8085 ended.
struct Ending {
    int ExitStatus = -1; // -1 when a signal ended it
    int Signal = 0;
    std::string Stdout;
    std::string Stderr;
};

// A Go8085 running in the background, its output streams going to files.
struct Started {
    pid_t Pid = -1;
    fs::path Stdout;
    fs::path Stderr;
};

// Starts Go8085 with args in cwd, with its output streams in files of
// capture; as the user nobody when asked and the tests run as root (to whom
// every directory is writable).
Started StartGo8085(const std::vector<std::string>& args, const fs::path& cwd, const fs::path& capture,
                    bool asNobody = false)
{
    static int serial = 0;
    Started started;
    started.Stdout = capture / ("stdout" + std::to_string(++serial));
    started.Stderr = capture / ("stderr" + std::to_string(serial));
    std::vector<std::string> texts{GO8085_PATH};
    texts.insert(texts.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    started.Pid = ::fork();
    if (started.Pid == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(started.Stdout.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(started.Stderr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
            ::chdir(cwd.c_str()) != 0) {
            ::_exit(127);
        }
        if (asNobody && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(127);
        }
        ::umask(022);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return started;
}

Ending Finish(const Started& started)
{
    int status = 0;
    while (::waitpid(started.Pid, &status, 0) < 0) {
    }
    Ending ending;
    ending.ExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ending.Signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    ending.Stdout = ReadFileBytes(started.Stdout);
    ending.Stderr = ReadFileBytes(started.Stderr);
    return ending;
}

// Whether the process has a child running the named program.
bool HasChildNamed(pid_t parent, const std::string& name)
{
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string process = entry.path().filename().string();
        if (process.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::istringstream stat(ReadFileBytes(entry.path() / "stat"));
        std::string pid;
        std::string comm;
        std::string state;
        pid_t ppid = 0;
        if (stat >> pid >> comm >> state >> ppid && ppid == parent && comm == "(" + name + ")") {
            return true;
        }
    }
    return false;
}

std::size_t CountEntries(const fs::path& directory)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(directory), fs::directory_iterator()));
}

const std::string _Program = "\tORG 2000H\n\tMVI A, 2AH\n\tOUT 1\n\tHLT\n";
const std::string _Typo = "\tORG 2000H\n\tMVI A, 2AH\n\tMVO A, B\n\tHLT\n";
const std::string _UndefinedLabel = "\tORG 2000H\nLOOP:\tDCR A\n\tJNZ LOOPX\n\tHLT\n";
const char* const _Suffixes[] = {".pass1", ".sym", ".log", ".hex", ".img"};

// A scratch directory for the files and the TMPDIR Go8085 gets, which must
// be empty again after every run.
class Go8085EndToEnd : public testing::Test {
protected:
    ScratchDirectory Dir;
    fs::path Temporary;
    fs::path Capture;
    std::string SavedTmpdir;
    bool HadTmpdir = false;

    void SetUp() override
    {
        Temporary = Dir.Path / "tmp";
        Capture = Dir.Path / "capture";
        fs::create_directories(Temporary);
        fs::create_directories(Capture);
        fs::permissions(Dir.Path, fs::perms::all);
        fs::permissions(Temporary, fs::perms::all);
        const char* tmpdir = std::getenv("TMPDIR");
        HadTmpdir = tmpdir != nullptr;
        SavedTmpdir = HadTmpdir ? tmpdir : "";
        ::setenv("TMPDIR", Temporary.c_str(), 1);
    }

    void TearDown() override
    {
        EXPECT_EQ(CountEntries(Temporary), 0u) << "Go8085 left a temporary directory";
        if (HadTmpdir) {
            ::setenv("TMPDIR", SavedTmpdir.c_str(), 1);
        } else {
            ::unsetenv("TMPDIR");
        }
    }

    Ending Run(const std::vector<std::string>& args, const fs::path& cwd)
    {
        return Finish(StartGo8085(args, cwd, Capture));
    }

    fs::path MakeDirectory(const std::string& name)
    {
        fs::create_directories(Dir.Path / name);
        return Dir.Path / name;
    }
};

TEST_F(Go8085EndToEnd, ParallelRunsBesideOneOpcodeTableKeepTheirOwnDiagnostics)
{
    const fs::path work = MakeDirectory("class");
    fs::create_directories(work / "etc");
    fs::copy_file(SOURCE_DIR "/etc/opcodes.txt", work / "etc/opcodes.txt");
    WriteFileBytes(work / "typo.asm", _Typo);
    WriteFileBytes(work / "good.asm", _Program);
    for (int round = 0; round < 10; ++round) {
        const Started typo = StartGo8085({"typo.asm"}, work, Capture);
        const Started good = StartGo8085({"good.asm"}, work, Capture);
        const Ending typoEnd = Finish(typo);
        const Ending goodEnd = Finish(good);
        ASSERT_EQ(typoEnd.ExitStatus, 1) << "round " << round << "\n" << typoEnd.Stderr;
        ASSERT_NE(typoEnd.Stderr.find("typo.asm:3: error: unable to parse this line: MVO A, B\n"), std::string::npos)
            << "round " << round << "\n"
            << typoEnd.Stderr;
        ASSERT_EQ(goodEnd.ExitStatus, 0) << "round " << round << "\n" << goodEnd.Stderr;
        ASSERT_EQ(goodEnd.Stderr.find("error"), std::string::npos) << "round " << round << "\n" << goodEnd.Stderr;
    }
}

TEST_F(Go8085EndToEnd, ASignalDuringPassOneLeavesTheFilesOfTheLastRun)
{
    // A source long enough that pass 1 is still at work when the signal comes.
    std::string longSource = _Program;
    for (int i = 0; i < 20000; ++i) {
        longSource += "\tNOP\t\t; one of many\n";
    }
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const fs::path work = MakeDirectory("signal" + std::to_string(signal));
        fs::create_directories(work / "etc");
        fs::copy_file(SOURCE_DIR "/etc/opcodes.txt", work / "etc/opcodes.txt");
        WriteFileBytes(work / "prog.asm", _Program);
        ASSERT_EQ(Run({"prog.asm"}, work).ExitStatus, 0);
        std::vector<std::string> before;
        for (const char* suffix : _Suffixes) {
            before.push_back(ReadFileBytes(work / (std::string("prog.asm") + suffix)));
        }
        WriteFileBytes(work / "prog.asm", longSource);
        const Started started = StartGo8085({"prog.asm"}, work, Capture);
        for (int waited = 0; waited < 30000 && !HasChildNamed(started.Pid, "Corvane"); ++waited) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ::kill(started.Pid, signal);
        const Ending ending = Finish(started);
        EXPECT_EQ(ending.Signal, signal) << ending.Stderr;
        for (std::size_t i = 0; i < before.size(); ++i) {
            EXPECT_TRUE(ReadFileBytes(work / (std::string("prog.asm") + _Suffixes[i])) == before[i])
                << _Suffixes[i] << " changed after signal " << signal;
        }
        EXPECT_EQ(CountEntries(Temporary), 0u) << "after signal " << signal;
    }
}

TEST_F(Go8085EndToEnd, AnEarlyStopRemovesTheLaterFilesOfTheLastRun)
{
    const struct {
        const std::string* Source;
        std::vector<std::string> Kept;
        std::vector<std::string> Removed;
    } rows[] = {
        {&_Typo, {".pass1", ".sym", ".log"}, {".hex", ".img"}},
        {&_UndefinedLabel, {".pass1", ".sym", ".log"}, {".hex", ".img"}},
    };
    for (const auto& row : rows) {
        ScratchDirectory work;
        WriteFileBytes(work.Path / "prog.asm", _Program);
        ASSERT_EQ(Run({"--intel-hex", "--binary", "prog.asm"}, work.Path).ExitStatus, 0);
        WriteFileBytes(work.Path / "prog.asm", *row.Source);
        EXPECT_EQ(Run({"prog.asm"}, work.Path).ExitStatus, 1) << *row.Source;
        for (const std::string& suffix : row.Kept) {
            EXPECT_TRUE(fs::exists(work.Path / ("prog.asm" + suffix))) << suffix << " for " << *row.Source;
        }
        for (const std::string& suffix : row.Removed) {
            EXPECT_FALSE(fs::exists(work.Path / ("prog.asm" + suffix))) << suffix << " for " << *row.Source;
        }
        EXPECT_FALSE(fs::exists(work.Path / "prog.asm.ihx"));
        EXPECT_FALSE(fs::exists(work.Path / "prog.asm.bin"));
    }
}

TEST_F(Go8085EndToEnd, ASourceNamedLikeAnOptionIsNeverTakenForOne)
{
    for (const std::vector<std::string>& args : {std::vector<std::string>{"./-prog.asm"}, {"--", "-prog.asm"}}) {
        ScratchDirectory work;
        WriteFileBytes(work.Path / "-prog.asm", _Program);
        const Ending ending = Run(args, work.Path);
        EXPECT_EQ(ending.ExitStatus, 0) << args.back() << "\n" << ending.Stderr;
        EXPECT_EQ(ReadFileBytes(work.Path / "-prog.asm.hex"), "2000 3E 2A D3 01 76\n") << args.back();
    }
}

TEST_F(Go8085EndToEnd, AReadOnlyDirectoryWithItsOwnTableSendsTheFilesToTheWorkingDirectory)
{
    const fs::path source = MakeDirectory("readonly");
    const fs::path work = MakeDirectory("work");
    fs::create_directories(source / "etc");
    fs::copy_file(SOURCE_DIR "/etc/opcodes.txt", source / "etc/opcodes.txt");
    WriteFileBytes(source / "prog.asm", _Program);
    fs::permissions(source, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(work, fs::perms::all);
    const Ending ending = Finish(StartGo8085({(source / "prog.asm").string()}, work, Capture, true));
    if (::geteuid() == 0 && ending.ExitStatus == 127 && ending.Stderr.empty()) {
        GTEST_SKIP() << "the user nobody cannot run " << GO8085_PATH;
    }
    EXPECT_EQ(ending.ExitStatus, 0) << ending.Stderr;
    EXPECT_NE(ending.Stderr.find("the files go to the working directory"), std::string::npos) << ending.Stderr;
    for (const char* suffix : _Suffixes) {
        EXPECT_TRUE(fs::exists(work / (std::string("prog.asm") + suffix))) << suffix;
    }
    EXPECT_EQ(CountEntries(source), 2u);
}

TEST_F(Go8085EndToEnd, EndlessInputAsTheSourceIsRefused)
{
    const fs::path work = MakeDirectory("work");
    fs::create_symlink("/dev/zero", work / "prog.asm");
    const Ending ending = Run({"prog.asm"}, work);
    EXPECT_EQ(ending.ExitStatus, 1);
    EXPECT_EQ(ending.Stderr,
              "Go8085: error: cannot read prog.asm: it is longer than 4 MiB (4194304 bytes), the most Go8085 reads\n");
    EXPECT_EQ(CountEntries(work), 1u);
}

TEST_F(Go8085EndToEnd, APipeWithoutAReaderAsAnOutputEndsTheRunInsteadOfWaiting)
{
    const fs::path work = MakeDirectory("work");
    WriteFileBytes(work / "prog.asm", _Program);
    ASSERT_EQ(::mkfifo((work / "prog.asm.hex").c_str(), 0664), 0);
    const Ending ending = Run({"prog.asm"}, work);
    EXPECT_EQ(ending.ExitStatus, 1);
    EXPECT_NE(ending.Stderr.find("Go8085: error: cannot write the machine code: prog.asm.hex is a pipe that no process "
                                 "reads\n"),
              std::string::npos)
        << ending.Stderr;
    EXPECT_TRUE(fs::is_fifo(work / "prog.asm.hex"));
}

// A reader already waiting on the pipe (cat prog.asm.bin > out) sees one
// writer: the whole file, then end of file, never an end before the data.
TEST_F(Go8085EndToEnd, APipeWithAReaderAlreadyWaitingGetsTheWholeOutput)
{
    const fs::path work = MakeDirectory("work");
    WriteFileBytes(work / "prog.asm", _Program);
    const fs::path pipe = work / "prog.asm.bin";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0664), 0);
    // Each writer's close of the pipe is an event: one writer, one event.
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    // Opens are watched too, so that no two close events in a row are merged into one.
    ASSERT_GE(::inotify_add_watch(watch, pipe.c_str(), IN_OPEN | IN_CLOSE_WRITE), 0);
    std::string received;
    bool endBeforeData = false;
    std::thread reader([&] {
        const int fd = ::open(pipe.c_str(), O_RDONLY); // waits for the first writer
        if (fd < 0) {
            return;
        }
        // Without waiting from here on, so that an end of file between two
        // writers is seen as soon as it happens.
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        char buffer[4096];
        while (std::chrono::steady_clock::now() < deadline) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got > 0) {
                received.append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0 && !received.empty()) {
                break;
            } else if (got == 0) {
                endBeforeData = true; // a writer came and went without a byte
            }
        }
        ::close(fd);
    });
    const Ending ending = Finish(StartGo8085({"--binary", "prog.asm"}, work, Capture));
    reader.join();
    int writers = 0;
    alignas(inotify_event) char events[4096];
    for (ssize_t got; (got = ::read(watch, events, sizeof events)) > 0;) {
        for (char* at = events; at < events + got;
             at += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(at)->len)
            writers += (reinterpret_cast<inotify_event*>(at)->mask & IN_CLOSE_WRITE) != 0;
    }
    ::close(watch);
    EXPECT_EQ(ending.ExitStatus, 0) << ending.Stderr;
    EXPECT_EQ(writers, 1) << "a writer before the one that wrote is an end of file to the reader";
    EXPECT_FALSE(endBeforeData);
    EXPECT_EQ(received, std::string("\x3E\x2A\xD3\x01\x76"));
}

TEST_F(Go8085EndToEnd, ASourceThatIsALinkToItsOwnOutputIsNeverWritten)
{
    const struct {
        const char* Output;
        bool Symbolic;
    } rows[] = {{"prog.asm.hex", true}, {"prog.asm.log", false}};
    for (const auto& row : rows) {
        ScratchDirectory work;
        WriteFileBytes(work.Path / row.Output, _Program);
        if (row.Symbolic) {
            fs::create_symlink(row.Output, work.Path / "prog.asm");
        } else {
            fs::create_hard_link(work.Path / row.Output, work.Path / "prog.asm");
        }
        const Ending ending = Run({"prog.asm"}, work.Path);
        EXPECT_EQ(ending.ExitStatus, 1) << row.Output;
        EXPECT_EQ(ending.Stderr, "Go8085: error: " + std::string(row.Output) +
                                     " is the source prog.asm itself (a link); Go8085 would overwrite it: rename "
                                     "one of them\n");
        EXPECT_TRUE(ReadFileBytes(work.Path / row.Output) == _Program) << row.Output << " was overwritten";
        EXPECT_EQ(CountEntries(work.Path), 2u) << row.Output;
    }
}

TEST_F(Go8085EndToEnd, IntelHexAndBinaryReadBackBySrecCat)
{
    const fs::path work = MakeDirectory("work");
    std::string source = "\tORG 2000H\n\tLXI H, 2010H\n\tMVI A, 1\n\tHLT\n\tORG 2010H\n";
    for (int i = 1; i <= 30; ++i) {
        source += (i % 10 == 1 ? "\tDB " : ", ") + std::to_string(i) + (i % 10 == 0 ? "\n" : "");
    }
    WriteFileBytes(work / "prog.asm", source);
    const Ending ending = Run({"--intel-hex", "--binary", "prog.asm"}, work);
    ASSERT_EQ(ending.ExitStatus, 0) << ending.Stderr;
    EXPECT_NE(ending.Stderr.find(", Intel HEX prog.asm.ihx, binary prog.asm.bin (46 bytes to load at 2000H), "),
              std::string::npos)
        << ending.Stderr;
    std::string expected = "\x21\x10\x20\x3E\x01\x76" + std::string(10, '\0');
    for (int i = 1; i <= 30; ++i) {
        expected += static_cast<char>(i);
    }
    EXPECT_EQ(ReadFileBytes(work / "prog.asm.bin"), expected);
    const std::string command =
        "cd '" + work.string() + "' && srec_cat prog.asm.ihx -intel -offset -0x2000 -o from-ihx.bin -binary 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadFileBytes(work / "from-ihx.bin"), expected);
}

} // namespace
