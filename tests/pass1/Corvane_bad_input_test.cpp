// Corvane against bad inputs and failing outputs: every case ends promptly
// with exit status 0 and a defined result. One test per row of the "Bad
// input" table (docs/bad-input.md) that no golden case or other test
// already covers.

#include "support/RunProgram.h"

#include <gtest/gtest.h>

#include <string>

namespace fs = std::filesystem;

namespace {

const std::string _Opcodes = "3\nMVI 2\nHLT 1\nDB 9\n";

// A working directory with etc/opcodes.txt and the given source prog.asm.
struct Workspace {
    ScratchDirectory Dir;
    explicit Workspace(const std::string& source)
    {
        WriteFileBytes(Dir.Path / "etc/opcodes.txt", _Opcodes);
        WriteFileBytes(Dir.Path / "prog.asm", source);
    }
    RunResult Run() const
    {
        const RunResult result = RunProgram(CORVANE_PATH, {"prog.asm"}, Dir.Path);
        EXPECT_EQ(result.ExitStatus, 0);
        EXPECT_EQ(result.Stderr, "");
        return result;
    }
    std::string File(const char* name) const
    {
        return ReadFileBytes(Dir.Path / name);
    }
    std::string Log() const
    {
        return File("etc/log-Pass1.txt");
    }
};

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(CorvaneBadInput, ListingOnAFullDiskIsReported)
{
    Workspace ws("START: HLT\n");
    fs::create_symlink("/dev/full", ws.Dir.Path / "prog.asm.pass1");
    const RunResult result = ws.Run();
    EXPECT_EQ(result.Stdout, "FATAL ERROR: Unable to write prog.asm.pass1\n");
    EXPECT_EQ(ws.File("prog.asm.sym"), "START \t 2 \t 8192\n");
    EXPECT_TRUE(Contains(ws.Log(), "Symbol Table Cleaned\n"));
}

TEST(CorvaneBadInput, SymbolFileOnAFullDiskIsReported)
{
    Workspace ws("START: HLT\n");
    fs::create_symlink("/dev/full", ws.Dir.Path / "prog.asm.sym");
    const RunResult result = ws.Run();
    EXPECT_EQ(result.Stdout, "FATAL ERROR: Unable to write prog.asm.sym\n");
    EXPECT_EQ(ws.File("prog.asm.pass1"), "8192       HLT\n");
}

TEST(CorvaneBadInput, EmptySymbolListOnAFullDiskIsNoFailure)
{
    Workspace ws("HLT\n");
    fs::create_symlink("/dev/full", ws.Dir.Path / "prog.asm.sym");
    EXPECT_EQ(ws.Run().Stdout, "");
}

TEST(CorvaneBadInput, RunLogOnAFullDiskStaysUnreported)
{
    Workspace ws("START: HLT\n");
    fs::remove(ws.Dir.Path / "etc/log-Pass1.txt");
    fs::create_symlink("/dev/full", ws.Dir.Path / "etc/log-Pass1.txt");
    EXPECT_EQ(ws.Run().Stdout, "");
    EXPECT_EQ(ws.File("prog.asm.pass1"), "8192       HLT\n");
}

TEST(CorvaneBadInput, SymbolFileThatIsADirectoryCannotBeOpened)
{
    Workspace ws("START: HLT\n");
    fs::create_directory(ws.Dir.Path / "prog.asm.sym");
    EXPECT_EQ(ws.Run().Stdout, "FATAL ERROR: Unable to open prog.asm.sym\n");
    EXPECT_EQ(ws.File("prog.asm.pass1"), "8192       HLT\n");
}

TEST(CorvaneBadInput, DirectoriesInPlaceOfTheFixedFiles)
{
    Workspace ws("HLT\n");
    fs::remove(ws.Dir.Path / "etc/opcodes.txt");
    fs::create_directory(ws.Dir.Path / "etc/opcodes.txt");
    fs::create_directory(ws.Dir.Path / "etc/log-Pass1.txt");
    EXPECT_EQ(ws.Run().Stdout, "");
    EXPECT_EQ(ws.File("prog.asm.pass1"), ""); // no table: HLT is no mnemonic
    EXPECT_TRUE(fs::is_empty(ws.Dir.Path / "etc/log-Pass1.txt"));
}

TEST(CorvaneBadInput, LineOfSeveralMegabytes)
{
    Workspace ws("HLT" + std::string(4 << 20, 'x') + "\nHLT\n");
    ws.Run();
    // The kept 510 characters are one token, cut to 63: no mnemonic.
    EXPECT_EQ(ws.File("prog.asm.pass1"), "8192       HLT\n");
    EXPECT_TRUE(Contains(ws.Log(), "Line longer than 510 characters: the rest of it was cut off\n"
                                   "Tokenizing HLT"));
    EXPECT_TRUE(Contains(ws.Log(), "Parse Error: Unable to parse this line\n"));
    EXPECT_LT(ws.Log().size(), 4000u);
}

TEST(CorvaneBadInput, FileOfZeroBytes)
{
    Workspace ws(std::string(100000, '\0'));
    ws.Run();
    EXPECT_TRUE(Contains(ws.Log(), "Read one line from InFile : \nLine longer than 510 characters: "
                                   "the rest of it was cut off\nIs a Comment. Continuing...\n"
                                   "End of Input File reached.\n"));
    EXPECT_EQ(ws.File("prog.asm.pass1"), "");
}

TEST(CorvaneBadInput, BytesAboveAsciiPassThroughUnchanged)
{
    std::string high;
    for (int c = 0x80; c <= 0xFF; ++c) {
        high += static_cast<char>(c);
    }
    Workspace ws("HLT " + high.substr(0, 60) + "\n");
    ws.Run();
    EXPECT_EQ(ws.File("prog.asm.pass1"), "8192       HLT       " + high.substr(0, 60) + "\n");
}

TEST(CorvaneBadInput, ThousandsOfTokensOnOneLine)
{
    std::string line = "DB";
    for (int i = 0; i < 5000; ++i) {
        line += " 1";
    }
    Workspace ws(line + "\n");
    ws.Run();
    EXPECT_TRUE(Contains(ws.Log(), "More than 16 tokens: the rest of the line is ignored\nTokenized to 16 Tokens\n"));
}

TEST(CorvaneBadInput, QuotedStringThatNeverEnds)
{
    Workspace ws("HLT 'never closed, ever\nHLT\n");
    ws.Run();
    EXPECT_TRUE(Contains(ws.Log(), "*****ERROR: String Token without Matching Closure\n"
                                   "Found Token 'never closed, ever\n"));
    EXPECT_EQ(ws.File("prog.asm.pass1"), "8192       HLT       'never closed, ever\n8193       HLT\n");
}

TEST(CorvaneBadInput, OpcodeCountFarBeyondItsRows)
{
    Workspace ws("HLT\n");
    WriteFileBytes(ws.Dir.Path / "etc/opcodes.txt", "2147483647\nHLT 1\n");
    ws.Run();
    EXPECT_EQ(ws.File("prog.asm.pass1"), "8192       HLT\n");
    const std::string log = ws.Log();
    EXPECT_TRUE(Contains(log, "Opcode Count is 2147483647\n\t0.\t\tHLT\t\t1\n"
                              "Opcode table ends early: only 1 of 2147483647 rows could be read\n"
                              "\t1.\t\t\t\t0\n"));
    EXPECT_TRUE(Contains(log, "\t65535.\t\t\t\t0\n"
                              "2147418111 more counted rows are empty and not logged\n\n"
                              "Starting with Pass 1 on prog.asm"));
    EXPECT_LT(log.size(), 2000000u);
}

TEST(CorvaneBadInput, SourceThatIsTheRunLogCannotBeOpened)
{
    Workspace ws("HLT\n");
    const RunResult result = RunProgram(CORVANE_PATH, {"etc/log-Pass1.txt"}, ws.Dir.Path);
    EXPECT_EQ(result.ExitStatus, 0);
    EXPECT_EQ(result.Stdout, "FATAL ERROR: Unable to open etc/log-Pass1.txt\n");
    EXPECT_FALSE(fs::exists(ws.Dir.Path / "etc/log-Pass1.txt.pass1"));
    EXPECT_EQ(ws.File("etc/log-Pass1.txt.sym"), "");
    EXPECT_FALSE(Contains(ws.Log(), "I/O File Ready"));
    EXPECT_TRUE(Contains(ws.Log(), "Pass 1 completed\n"));
}

TEST(CorvaneBadInput, OutputsThatAreTheSourceOrTheRunLogAreNotWritten)
{
    Workspace ws("START: HLT\n");
    fs::create_symlink("prog.asm", ws.Dir.Path / "prog.asm.pass1");
    WriteFileBytes(ws.Dir.Path / "etc/log-Pass1.txt", "");
    fs::create_hard_link(ws.Dir.Path / "etc/log-Pass1.txt", ws.Dir.Path / "prog.asm.sym");
    EXPECT_EQ(ws.Run().Stdout, "FATAL ERROR: Unable to open prog.asm.pass1\n"
                               "FATAL ERROR: Unable to open prog.asm.sym\n");
    EXPECT_EQ(ws.File("prog.asm"), "START: HLT\n");
    const std::string log = ws.Log();
    EXPECT_EQ(log.substr(0, 23), "\nReading Opcodes Table\n");
    EXPECT_TRUE(Contains(log, "Writing Symbol Table to prog.asm.sym\nDone with Symbol File\n"));
}

TEST(CorvaneBadInput, BinaryFileAsSource)
{
    Workspace ws("");
    fs::copy_file(CORVANE_PATH, ws.Dir.Path / "prog.asm", fs::copy_options::overwrite_existing);
    ws.Run();
    EXPECT_TRUE(Contains(ws.Log(), "End of Input File reached.\n"));
}

} // namespace
