// Whole-process behaviours of Pass2 that the golden directories cannot
// express: file modes, files of earlier runs, paths, and whole runs with
// Corvane, Tessily and a disassembler.

#include "support/RunProgram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// A working directory with a listing and a symbol file for prog.asm.
struct Workspace {
    ScratchDirectory Dir;
    explicit Workspace(const std::string& listing = "8192       HLT\n")
    {
        WriteFileBytes(Dir.Path / "etc/opcodes.txt", "2\nHLT 1\nNOP 1\n");
        WriteFileBytes(Dir.Path / "prog.asm.pass1", listing);
        WriteFileBytes(Dir.Path / "prog.asm.sym", "");
    }
    RunResult Run(mode_t mask = 022) const
    {
        return RunProgram(PASS2_PATH, {"prog.asm"}, Dir.Path, mask);
    }
};

TEST(Pass2, MachineCodeIsCreated0664LessTheUmask)
{
    Workspace open;
    ASSERT_EQ(open.Run(0).ExitStatus, 0);
    EXPECT_EQ(FileMode(open.Dir.Path / "prog.asm.hex"), 0664u);

    Workspace masked;
    ASSERT_EQ(masked.Run(027).ExitStatus, 0);
    EXPECT_EQ(FileMode(masked.Dir.Path / "prog.asm.hex"), 0640u);
}

TEST(Pass2, AnErrorRemovesTheMachineCodeOfAnEarlierRun)
{
    Workspace ws("8192       HLT       A\n");
    WriteFileBytes(ws.Dir.Path / "prog.asm.hex", "2000 76\n");
    EXPECT_EQ(ws.Run().ExitStatus, 1);
    EXPECT_FALSE(fs::exists(ws.Dir.Path / "prog.asm.hex"));
}

TEST(Pass2, ReplacesTheMachineCodeOfAnEarlierRunWhole)
{
    Workspace ws;
    WriteFileBytes(ws.Dir.Path / "prog.asm.hex", std::string(5000, 'x'));
    ASSERT_EQ(ws.Run().ExitStatus, 0);
    EXPECT_EQ(ReadFileBytes(ws.Dir.Path / "prog.asm.hex"), "2000 76\n");
}

TEST(Pass2, FilesAreNamedAfterTheArgumentInItsDirectory)
{
    ScratchDirectory dir;
    WriteFileBytes(dir.Path / "sub/prog.asm.pass1", "8192       NOP\n");
    WriteFileBytes(dir.Path / "sub/prog.asm.sym", "");
    const RunResult result = RunProgram(PASS2_PATH, {"sub/prog.asm"}, dir.Path);
    EXPECT_EQ(result.ExitStatus, 0);
    EXPECT_EQ(ReadFileBytes(dir.Path / "sub/prog.asm.hex"), "2000 00\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path / "sub"), fs::directory_iterator()), 3);
}

TEST(Pass2, MachineCodeThatCannotBeWrittenLeavesNoTemporaryFile)
{
    Workspace ws;
    fs::create_directory(ws.Dir.Path / "prog.asm.hex");
    const RunResult result = ws.Run();
    EXPECT_EQ(result.ExitStatus, 1);
    EXPECT_EQ(result.Stderr, "prog.asm.hex: error: cannot write: Is a directory\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(ws.Dir.Path), fs::directory_iterator()), 4);
}

// Only a regular file of an earlier run is removed: a pipe where the
// machine code would go stays.
TEST(Pass2, AnErrorLeavesAPipeNamedAsTheMachineCode)
{
    Workspace ws("8192       HLT       A\n");
    ASSERT_EQ(::mkfifo((ws.Dir.Path / "prog.asm.hex").c_str(), 0644), 0);
    EXPECT_EQ(ws.Run().ExitStatus, 1);
    EXPECT_TRUE(fs::is_fifo(ws.Dir.Path / "prog.asm.hex"));
}

// The longest name whose listing name (.pass1) still fits in 255 bytes: its
// machine-code file is written, whatever its temporary name would add.
TEST(Pass2, MachineCodeOfALongNameIsWritten)
{
    const std::string name(249, 'p');
    ScratchDirectory dir;
    WriteFileBytes(dir.Path / (name + ".pass1"), "8192       HLT\n");
    WriteFileBytes(dir.Path / (name + ".sym"), "");
    const RunResult result = RunProgram(PASS2_PATH, {name}, dir.Path);
    EXPECT_EQ(result.ExitStatus, 0) << result.Stderr;
    EXPECT_EQ(ReadFileBytes(dir.Path / (name + ".hex")), "2000 76\n");
}

// A listing that never ends is refused once it passes the size limit,
// rather than read until memory runs out.
TEST(Pass2, EndlessListingIsRefused)
{
    Workspace ws;
    fs::remove(ws.Dir.Path / "prog.asm.pass1");
    fs::create_symlink("/dev/zero", ws.Dir.Path / "prog.asm.pass1");
    const RunResult result = ws.Run();
    EXPECT_EQ(result.ExitStatus, 1);
    EXPECT_EQ(result.Stderr, "prog.asm.pass1: error: cannot read: larger than 64 MiB, the most read from one file\n");
}

// Corvane, Pass2 and Tessily take the shipped example to the image that the
// shipped machine-code file gives.
TEST(Pass2, ShippedExampleGivesTheShippedImage)
{
    ScratchDirectory dir;
    const fs::path source = fs::path(SOURCE_DIR);
    fs::create_directory(dir.Path / "etc");
    fs::copy_file(source / "etc/opcodes.txt", dir.Path / "etc/opcodes.txt");
    for (const char* name : {"countdown.asm", "countdown.regs", "countdown.hex"}) {
        fs::copy_file(source / "examples" / name, dir.Path / name);
    }
    ASSERT_EQ(RunProgram(CORVANE_PATH, {"countdown.asm"}, dir.Path).ExitStatus, 0);
    const RunResult pass2 = RunProgram(PASS2_PATH, {"countdown.asm"}, dir.Path);
    ASSERT_EQ(pass2.ExitStatus, 0) << pass2.Stderr;
    EXPECT_EQ(pass2.Stderr, "");
    RunProgram(TESSILY_PATH, {"countdown.regs", "countdown.asm.hex", "built.img"}, dir.Path);
    RunProgram(TESSILY_PATH, {"countdown.regs", "countdown.hex", "shipped.img"}, dir.Path);
    const std::string built = ReadFileBytes(dir.Path / "built.img");
    EXPECT_EQ(built.size(), 65560u);
    EXPECT_TRUE(built == ReadFileBytes(dir.Path / "shipped.img")) << "the images differ";
}

// --- Round trip through the distribution's disassembler -------------------

bool IsRegisterName(const std::string& word)
{
    for (const char* name : {"A", "B", "C", "D", "E", "H", "L", "M", "SP", "PSW"}) {
        if (word == name) {
            return true;
        }
    }
    return false;
}

// The mnemonic and the register operands (or the RST number) of an
// instruction whose operands are separated by blanks and commas.
std::string Shape(std::string text)
{
    for (char& c : text) {
        c = c == ',' || c == '\t' ? ' ' : c;
    }
    std::istringstream words(text);
    std::string mnemonic;
    words >> mnemonic;
    std::string shape = mnemonic;
    for (std::string word; words >> word;) {
        if (IsRegisterName(word) || mnemonic == "RST") {
            shape += " " + word;
        }
    }
    return shape;
}

// The golden case that holds every opcode once, without the undocumented
// instructions that the disassembler does not know. It takes some zero bytes
// for unused space (at the start of a file, after an instruction's operand
// bytes), so NOP goes after STAX B, a one-byte instruction.
std::vector<std::string> DocumentedInstructions()
{
    std::ifstream source(fs::path(SOURCE_DIR) / "tests/golden/pass2/002-every-instruction/in/prog.asm");
    std::vector<std::string> lines;
    for (std::string line; std::getline(source, line);) {
        line = line.substr(0, line.find(';'));
        line = line.substr(line.find(':') == std::string::npos ? 0 : line.find(':') + 1);
        std::string mnemonic;
        std::istringstream(line) >> mnemonic;
        const std::set<std::string> undocumented = {"DSUB", "ARHL", "RDEL", "LDHI", "LDSI",
                                                    "RSTV", "SHLX", "LHLX", "JNK",  "JK"};
        if (!mnemonic.empty() && undocumented.count(mnemonic) == 0) {
            lines.push_back(line);
        }
    }
    std::rotate(lines.begin(), lines.begin() + 1, lines.begin() + 3);
    return lines;
}

TEST(Pass2, DisassemblerGivesBackEveryDocumentedInstruction)
{
    if (std::system("command -v dz80 >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "dz80 (Debian package d52) is not installed: round trip not checked";
    }
    const std::vector<std::string> instructions = DocumentedInstructions();
    ASSERT_EQ(instructions.size(), 246u);
    ScratchDirectory dir;
    std::string source = "        ORG 0\n";
    for (const std::string& line : instructions) {
        source += "        " + line + "\n";
    }
    WriteFileBytes(dir.Path / "prog.asm", source);
    fs::create_directory(dir.Path / "etc");
    fs::copy_file(fs::path(SOURCE_DIR) / "etc/opcodes.txt", dir.Path / "etc/opcodes.txt");
    ASSERT_EQ(RunProgram(CORVANE_PATH, {"prog.asm"}, dir.Path).ExitStatus, 0);
    const RunResult pass2 = RunProgram(PASS2_PATH, {"prog.asm"}, dir.Path);
    ASSERT_EQ(pass2.ExitStatus, 0) << pass2.Stderr;

    // The machine code from 0000H on, as a binary file.
    std::string image;
    std::istringstream lines(ReadFileBytes(dir.Path / "prog.asm.hex"));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream items(line);
        std::string item;
        items >> item;
        std::size_t address = std::stoul(item, nullptr, 16);
        for (; items >> item; ++address) {
            image.resize(std::max(image.size(), address + 1));
            image[address] = static_cast<char>(std::stoul(item, nullptr, 16));
        }
    }
    WriteFileBytes(dir.Path / "prog.bin", image);
    const RunResult dz80 = RunProgram("/bin/sh", {"-c", "dz80 -85 -u -b prog.bin"}, dir.Path);
    ASSERT_EQ(dz80.ExitStatus, 0) << dz80.Stdout << dz80.Stderr;

    // Instruction lines of the disassembly: a tab, then the mnemonic.
    std::vector<std::string> disassembled;
    std::istringstream listing(ReadFileBytes(dir.Path / "prog.d85"));
    for (std::string line; std::getline(listing, line);) {
        if (line.size() > 1 && line[0] == '\t' && line.compare(1, 3, "ORG") != 0 && line.compare(1, 3, "END") != 0) {
            disassembled.push_back(Shape(line));
        }
    }
    std::vector<std::string> expected;
    for (const std::string& line : instructions) {
        expected.push_back(Shape(line));
    }
    EXPECT_EQ(disassembled, expected);
}

} // namespace
