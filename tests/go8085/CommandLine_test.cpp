#include "CommandLine.h"

#include <gtest/gtest.h>

namespace {

TEST(ParseCommandLine, SortsArgumentsIntoTheirPlaces)
{
    const struct {
        std::vector<std::string> Args;
        std::string Source;
        std::string RegisterFile;
        std::vector<std::string> SimulatorOptions;
        bool KeepGoing;
        bool Verbose;
        std::string Error;
    } rows[] = {
        {{"p.asm"}, "p.asm", "", {}, false, false, ""},
        {{"p.asm", "p.regs"}, "p.asm", "p.regs", {}, false, false, ""},
        {{"p.asm", "--max-steps", "10"}, "p.asm", "", {"--max-steps", "10"}, false, false, ""},
        {{"p.asm", "p.regs", "--dump", "2000-200F"}, "p.asm", "p.regs", {"--dump", "2000-200F"}, false, false, ""},
        {{"--keep-going", "p.asm", "--cpu", "8080", "--verbose"}, "p.asm", "", {"--cpu", "8080"}, true, true, ""},
        {{"--trace", "p.asm"},
         "p.asm",
         "",
         {},
         false,
         false,
         "unknown option --trace (Run8085's options go after the source)"},
        {{}, "", "", {}, false, false, "no source file given"},
        {{"--verbose"}, "", "", {}, false, true, "no source file given"},
    };
    for (const auto& row : rows) {
        const CommandLine line = ParseCommandLine(row.Args);
        const std::string name = row.Args.empty() ? "(none)" : row.Args[0];
        EXPECT_EQ(line.Source, row.Source) << name;
        EXPECT_EQ(line.RegisterFile, row.RegisterFile) << name;
        EXPECT_EQ(line.SimulatorOptions, row.SimulatorOptions) << name;
        EXPECT_EQ(line.KeepGoing, row.KeepGoing) << name;
        EXPECT_EQ(line.Verbose, row.Verbose) << name;
        EXPECT_EQ(line.Error, row.Error) << name;
    }
}

TEST(ParseCommandLine, OwnFlagsDashesAndSimulatorFlagsBeforeTheSource)
{
    const struct {
        std::vector<std::string> Args;
        std::string Source;
        std::vector<std::string> SimulatorOptions;
        bool IntelHex;
        bool Binary;
    } rows[] = {
        {{"--intel-hex", "p.asm", "--binary"}, "p.asm", {}, true, true},
        {{"--", "-p.asm", "--dump", "2000-2001"}, "-p.asm", {"--dump", "2000-2001"}, false, false},
        {{"--", "--binary"}, "--binary", {}, false, false},
        {{"--debug", "p.asm"}, "p.asm", {"--debug"}, false, false},
        {{"--cpm", "--debug", "p.asm", "--max-steps", "9"},
         "p.asm",
         {"--cpm", "--debug", "--max-steps", "9"},
         false,
         false},
    };
    for (const auto& row : rows) {
        const CommandLine line = ParseCommandLine(row.Args);
        EXPECT_EQ(line.Source, row.Source) << row.Args[0];
        EXPECT_EQ(line.SimulatorOptions, row.SimulatorOptions) << row.Args[0];
        EXPECT_EQ(line.IntelHex, row.IntelHex) << row.Args[0];
        EXPECT_EQ(line.Binary, row.Binary) << row.Args[0];
        EXPECT_EQ(line.Error, "") << row.Args[0];
    }
}

// The kit's options may stand before the source with their values.
TEST(ParseCommandLine, KitOptionsBeforeTheSource)
{
    const CommandLine line = ParseCommandLine({"--kit", "sdk85", "--keys", "1 2 NEXT", "p.asm", "--max-steps", "9"});
    EXPECT_EQ(line.Error, "");
    EXPECT_EQ(line.Source, "p.asm");
    EXPECT_EQ(line.SimulatorOptions,
              (std::vector<std::string>{"--kit", "sdk85", "--keys", "1 2 NEXT", "--max-steps", "9"}));
    EXPECT_EQ(ParseCommandLine({"--kit"}).Error, "--kit needs a value");
}

TEST(ParseCommandLine, HelpAndVersionAnywhere)
{
    EXPECT_TRUE(ParseCommandLine({"--help"}).Help);
    EXPECT_TRUE(ParseCommandLine({"p.asm", "--version"}).Version);
}

} // namespace
