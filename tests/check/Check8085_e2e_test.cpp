// Whole runs of Check8085 on folders no golden directory can hold: pipes,
// links, odd names, huge files, endless programs, programs that write
// everywhere. Each run gets a TMPDIR of its own, which must be empty again
// afterwards, and the folder must be exactly as it was.

#include "support/RunProgram.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <cstdlib>
#include <map>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const _Check = "steps 100000\n"
                           "case one\n  memory 2050H: 1\n  expect memory 2060H: 2\n"
                           "case two\n  memory 2050H: 7\n  expect memory 2060H: 8\n";

const char* const _Right = "\tORG 2000H\n\tLDA 2050H\n\tINR A\n\tSTA 2060H\n\tHLT\n";

// Everything about a tree that a run could change: each entry's type, size,
// permissions, modification time, link target and bytes. Links are not followed.
std::map<std::string, std::string> Snapshot(const fs::path& root)
{
    std::map<std::string, std::string> entries;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        struct stat status {};
        ::lstat(it->path().c_str(), &status);
        std::string facts = std::to_string(status.st_mode) + " " + std::to_string(status.st_size) + " " +
                            std::to_string(status.st_mtim.tv_sec) + "." + std::to_string(status.st_mtim.tv_nsec);
        if (S_ISLNK(status.st_mode))
            facts += " -> " + fs::read_symlink(it->path()).string();
        else if (S_ISREG(status.st_mode))
            facts += " " + ReadFileBytes(it->path());
        entries[it->path().lexically_relative(root).string()] = facts;
    }
    return entries;
}

struct Checked {
    RunResult Run;
    std::string Csv;
};

// Runs Check8085 in cwd with a TMPDIR of its own, which must be empty after.
Checked RunCheck(const fs::path& cwd, std::vector<std::string> args)
{
    ScratchDirectory tmp;
    ::setenv("TMPDIR", tmp.Path.c_str(), 1);
    args.insert(args.end(), {"--csv", "out.csv"});
    Checked checked;
    checked.Run = RunProgram(CHECK8085_PATH, args, cwd);
    ::unsetenv("TMPDIR");
    EXPECT_TRUE(fs::is_empty(tmp.Path)) << "scratch left behind in " << tmp.Path;
    checked.Csv = ReadFileBytes(cwd / "out.csv");
    fs::remove(cwd / "out.csv");
    return checked;
}

// The CSV row of a submission: everything after its name.
std::string Row(const std::string& csv, const std::string& name)
{
    const std::size_t at = csv.find("\n" + name + ",");
    if (at == std::string::npos)
        return "(no row for " + name + ")";
    const std::size_t start = at + 2 + name.size();
    return csv.substr(start, csv.find("\r\n", start) - start);
}

TEST(Check8085, AHostileFolderStopsNoOneAndStaysAsItWas)
{
    ScratchDirectory work;
    const fs::path subs = work.Path / "subs";
    WriteFileBytes(work.Path / "lab.check", _Check);
    WriteFileBytes(subs / "right.asm", _Right);
    WriteFileBytes(subs / "endless.asm", "\tORG 2000H\nLOOP:\tJMP LOOP\n");
    WriteFileBytes(subs / "wild.asm", "\tORG 2000H\n\tJMP 0\n");
    // Writes 0 over all memory, its own code too, then runs whatever is there.
    WriteFileBytes(subs / "everywhere.asm", "\tORG 2000H\n\tLXI H, 0\nFILL:\tMVI M, 0\n\tINX H\n\tJMP FILL\n");
    WriteFileBytes(subs / "huge.asm", std::string(2u << 20, ';'));
    WriteFileBytes(subs / "-dash.asm", _Right);
    WriteFileBytes(subs / "with space.asm", _Right);
    WriteFileBytes(subs / "new\nline.asm", _Right);
    WriteFileBytes(subs / "\xc3\xbcml\xc3\xa4ut.asm", _Right);
    WriteFileBytes(subs / "student7" / "lab.asm", _Right);
    WriteFileBytes(subs / "student8" / "a.asm", _Right);
    WriteFileBytes(subs / "student8" / "b.asm", _Right);
    fs::create_directories(subs / "student9");
    WriteFileBytes(subs / "notes.txt", "not a submission\n");
    WriteFileBytes(subs / ".hidden.asm", _Right);
    fs::create_symlink("right.asm", subs / "link.asm");
    fs::create_symlink("nowhere.asm", subs / "dangling.asm");
    fs::create_symlink("/dev/zero", subs / "zero.asm");
    fs::create_symlink("..", subs / "up");
    ASSERT_EQ(::mkfifo((subs / "fifo.asm").c_str(), 0644), 0);
    ::chmod(subs.c_str(), 0755);
    const auto before = Snapshot(work.Path);

    const Checked checked = RunCheck(work.Path, {"lab.check", "subs"});
    EXPECT_EQ(checked.Run.ExitStatus, 1) << checked.Run.Stderr;
    const std::string& csv = checked.Csv;
    EXPECT_EQ(Row(csv, "right.asm"), "2,2,checked,pass,pass,");
    EXPECT_EQ(Row(csv, "-dash.asm"), "2,2,checked,pass,pass,");
    EXPECT_EQ(Row(csv, "with space.asm"), "2,2,checked,pass,pass,");
    EXPECT_EQ(Row(csv, "\"new\nline.asm\""), "2,2,checked,pass,pass,");
    EXPECT_EQ(Row(csv, "\xc3\xbcml\xc3\xa4ut.asm"), "2,2,checked,pass,pass,");
    EXPECT_EQ(Row(csv, "link.asm"), "2,2,checked,pass,pass,");
    EXPECT_EQ(Row(csv, "student7/lab.asm"), "2,2,checked,pass,pass,");
    EXPECT_EQ(Row(csv, "endless.asm"),
              "0,2,checked,fail,fail,case 1 (one): did not end within 100000 steps (the step limit); "
              "it was at 2000H (endless.asm:2) JMP 2000H");
    EXPECT_EQ(Row(csv, "wild.asm"), "0,2,checked,fail,fail,\"case 1 (one): [2060H] = 00H, expected 02H; the "
                                    "program never stored there\"");
    EXPECT_EQ(Row(csv, "everywhere.asm").substr(0, 22), "0,2,checked,fail,fail,");
    EXPECT_EQ(Row(csv, "huge.asm"), "0,2,not checked,,,not checked: longer than 1024 KiB: no lab program is that long");
    EXPECT_EQ(Row(csv, "dangling.asm"), "0,2,not checked,,,not checked: a link to nothing");
    EXPECT_EQ(Row(csv, "zero.asm"),
              "0,2,not checked,,,\"not checked: not a regular file (a pipe, a device or a socket)\"");
    EXPECT_EQ(Row(csv, "fifo.asm"),
              "0,2,not checked,,,\"not checked: not a regular file (a pipe, a device or a socket)\"");
    EXPECT_EQ(Row(csv, "up/"), "0,2,not checked,,,not checked: a link to a folder: not followed");
    EXPECT_EQ(Row(csv, "student8/"),
              "0,2,not checked,,,\"not checked: the folder holds 2 .asm files (a.asm, b.asm): which one is it?\"");
    EXPECT_EQ(Row(csv, "student9/"), "0,2,not checked,,,not checked: the folder holds no .asm file");
    EXPECT_EQ(csv.find(".hidden"), std::string::npos);
    EXPECT_EQ(csv.find("notes.txt"), std::string::npos);
    EXPECT_EQ(checked.Run.Stderr, "Check8085: note: 1 file in subs not ending in .asm passed over\n");
    EXPECT_EQ(Snapshot(work.Path), before);
}

TEST(Check8085, EveryRunGivesTheSameResultsWhateverTheJobs)
{
    ScratchDirectory work;
    WriteFileBytes(work.Path / "lab.check", _Check);
    for (int i = 0; i < 12; ++i) {
        WriteFileBytes(work.Path / "subs" / ("r" + std::to_string(i) + ".asm"), _Right);
        // Counts up a byte that no case sets: a state carried over would show.
        WriteFileBytes(work.Path / "subs" / ("c" + std::to_string(i) + ".asm"),
                       "\tORG 2000H\n\tLDA 2070H\n\tINR A\n\tSTA 2070H\n\tDCR A\n\tJNZ 0\n"
                       "\tLDA 2050H\n\tINR A\n\tSTA 2060H\n\tHLT\n");
    }
    const Checked one = RunCheck(work.Path, {"--jobs", "1", "lab.check", "subs"});
    const Checked many = RunCheck(work.Path, {"--jobs", "4", "lab.check", "subs"});
    const Checked again = RunCheck(work.Path, {"lab.check", "subs"});
    EXPECT_EQ(one.Run.Stdout, many.Run.Stdout);
    EXPECT_EQ(one.Csv, many.Csv);
    EXPECT_EQ(one.Csv, again.Csv);
    // It leaves without its answer unless 2070H is 0 when it starts: every case, every run.
    EXPECT_EQ(Row(one.Csv, "c11.asm"), "2,2,checked,pass,pass,");
    EXPECT_EQ(one.Run.ExitStatus, 0) << one.Run.Stdout;
}

TEST(Check8085, AnOutputThatCannotBeWrittenIsAnError)
{
    ScratchDirectory work;
    WriteFileBytes(work.Path / "lab.check", _Check);
    WriteFileBytes(work.Path / "prog.asm", _Right);
    const RunResult run = RunProgram(CHECK8085_PATH, {"lab.check", "prog.asm", "--html", "no/such/dir/r.html"}, work.Path);
    EXPECT_EQ(run.ExitStatus, 2);
    EXPECT_NE(run.Stderr.find("Check8085: error: cannot write no/such/dir/r.html: "), std::string::npos) << run.Stderr;
}

TEST(Check8085, UsageMistakesExitWith2)
{
    ScratchDirectory work;
    WriteFileBytes(work.Path / "lab.check", _Check);
    EXPECT_EQ(RunProgram(CHECK8085_PATH, {"lab.check"}, work.Path).ExitStatus, 2);
    EXPECT_EQ(RunProgram(CHECK8085_PATH, {"--jobs", "0", "lab.check", "x"}, work.Path).ExitStatus, 2);
    EXPECT_EQ(RunProgram(CHECK8085_PATH, {"lab.check", "missing"}, work.Path).ExitStatus, 2);
    const RunResult help = RunProgram(CHECK8085_PATH, {"--help"}, work.Path);
    EXPECT_EQ(help.ExitStatus, 0);
    EXPECT_EQ(help.Stdout.rfind("Usage: Check8085 [options] CHECKFILE FOLDER|PROGRAM.asm\n", 0), 0u);
}

TEST(Check8085, AnInterruptedCheckLeavesNothingBehind)
{
    ScratchDirectory work;
    ScratchDirectory tmp;
    WriteFileBytes(work.Path / "lab.check", "steps 2000000000\ncase forever\n");
    for (int i = 0; i < 40; ++i)
        WriteFileBytes(work.Path / "subs" / ("e" + std::to_string(i) + ".asm"), "\tORG 2000H\nL:\tJMP L\n");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("TMPDIR", tmp.Path.c_str(), 1);
        ::chdir(work.Path.c_str());
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execl(CHECK8085_PATH, CHECK8085_PATH, "lab.check", "subs", "--html", "r.html", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Wait until the scratch directory is there, then interrupt.
    for (int i = 0; i < 500 && fs::is_empty(tmp.Path); ++i)
        ::usleep(10000);
    ::usleep(200000);
    ::kill(pid, SIGINT);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
    EXPECT_TRUE(fs::is_empty(tmp.Path));
    EXPECT_FALSE(fs::exists(work.Path / "r.html"));
}

} // namespace
