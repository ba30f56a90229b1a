#include "Options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CommandLine Parse(std::vector<std::string> args)
{
    return ParseCommandLine(args);
}

TEST(ParseHexNumber, Forms)
{
    struct Row {
        const char* Text;
        std::uint32_t Max;
        long Expected; // -1: not a number
    } rows[] = {
        {"2000", 0xFFFF, 0x2000},   {"2000H", 0xFFFF, 0x2000}, {"2000h", 0xFFFF, 0x2000}, {"0x2000", 0xFFFF, 0x2000},
        {"0XfFfF", 0xFFFF, 0xFFFF}, {"0", 0xFFFF, 0},          {"000000FF", 0xFF, 0xFF},  {"10000", 0xFFFF, -1},
        {"100", 0xFF, -1},          {"", 0xFFFF, -1},          {"H", 0xFFFF, -1},         {"0x", 0xFFFF, -1},
        {"0x10H", 0xFFFF, -1},      {"-1", 0xFFFF, -1},        {"12G", 0xFFFF, -1},       {"FFFFFFFFFFFF", 0xFFFF, -1},
    };
    for (const Row& row : rows) {
        const std::optional<std::uint32_t> value = ParseHexNumber(row.Text, row.Max);
        EXPECT_EQ(value ? static_cast<long>(*value) : -1, row.Expected) << row.Text;
    }
}

TEST(ParseCommandLine, DefaultsWithAnImage)
{
    const CommandLine line = Parse({"prog.img"});
    ASSERT_EQ(line.Action, CommandLineAction::Run) << line.Error;
    EXPECT_EQ(line.Options.ImageFile, "prog.img");
    EXPECT_EQ(line.Options.Machine.Model, CpuModel::I8085);
    EXPECT_EQ(line.Options.Machine.MaxSteps, 1000000000u);
    EXPECT_EQ(line.Options.Machine.ConsolePort, -1);
    EXPECT_FALSE(line.Options.Machine.Cpm);
    EXPECT_FALSE(line.Options.Machine.Pc);
    EXPECT_FALSE(line.Options.Machine.Sp);
}

// The golden cases pass every option its value; these are the forms they do not show.
TEST(ParseCommandLine, ValueFormsAndOrder)
{
    const CommandLine line =
        Parse({"--load=a@b.com@100", "--interrupt", "30:intr:7", "--interrupt=5:RST7.5", "--interrupt", "30:TRAP",
               "--sp=0xF000", "--trace", "t.txt", "--max-steps", "0", "--", "--odd.img"});
    ASSERT_EQ(line.Action, CommandLineAction::Run) << line.Error;
    const RunOptions& o = line.Options;
    ASSERT_EQ(o.Loads.size(), 1u);
    EXPECT_EQ(o.Loads[0].File, "a@b.com"); // the last @ splits
    EXPECT_EQ(o.Loads[0].Address, 0x100);
    ASSERT_EQ(o.Machine.Interrupts.size(), 3u); // ordered by step, ties as given
    EXPECT_EQ(o.Machine.Interrupts[0].Step, 5u);
    EXPECT_EQ(o.Machine.Interrupts[0].Source, InterruptSource::Rst75);
    EXPECT_EQ(o.Machine.Interrupts[1].Source, InterruptSource::Intr);
    EXPECT_EQ(o.Machine.Interrupts[1].RstNumber, 7);
    EXPECT_EQ(o.Machine.Interrupts[2].Source, InterruptSource::Trap);
    EXPECT_EQ(o.Machine.Sp, 0xF000);
    EXPECT_EQ(o.TraceFile, "t.txt");
    EXPECT_EQ(o.Machine.MaxSteps, 0u);
    EXPECT_EQ(o.ImageFile, "--odd.img");
}

TEST(ParseCommandLine, HelpAndVersion)
{
    EXPECT_EQ(Parse({"--help"}).Action, CommandLineAction::ShowHelp);
    EXPECT_EQ(Parse({"x.img", "--version", "--bogus"}).Action, CommandLineAction::ShowVersion);
}

// The kit's options: keys in turn or at a step, boards on one or two ports
// (the traffic light) with what switches and the ADC drive, probes.
TEST(ParseCommandLine, KitOptions)
{
    const CommandLine line =
        Parse({"a.img", "--kit", "sdk85", "--keys", "1 next,EXEC@300", "--keys", "2", "--board", "traffic@8255:A,b",
               "--board", "adc@8255:C=80", "--board", "dac@8155 (expansion):B", "--probe", "8253:2"});
    ASSERT_EQ(line.Action, CommandLineAction::Run) << line.Error;
    const MachineOptions& m = line.Options.Machine;
    EXPECT_EQ(m.Kit, "sdk85");
    ASSERT_EQ(m.Keys.size(), 4u);
    const char* names[] = {"1", "NEXT", "EXEC", "2"};
    const std::uint64_t steps[] = {0, 0, 300, 0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(m.Keys[i].Name, names[i]);
        EXPECT_EQ(m.Keys[i].Step, steps[i]);
    }
    ASSERT_EQ(m.Boards.size(), 3u);
    EXPECT_EQ(m.Boards[0].Kind, BoardKind::TrafficLight);
    EXPECT_EQ(m.Boards[0].Port, 0);
    EXPECT_EQ(m.Boards[0].SecondPort, 1);
    EXPECT_EQ(m.Boards[1].Kind, BoardKind::Adc);
    EXPECT_EQ(m.Boards[1].Port, 2);
    EXPECT_EQ(m.Boards[1].Input, 0x80);
    EXPECT_EQ(m.Boards[2].Chip, "8155 (expansion)");
    ASSERT_EQ(m.Probes.size(), 1u);
    EXPECT_EQ(m.Probes[0].Chip, "8253");
    EXPECT_EQ(m.Probes[0].Output, 2);

    for (const char* bad : {"dac@8255:D", "dac@8255:A,B", "dac@8255:A=10", "lamp@8255:A", "dac8255:A", "leds@8255"}) {
        const CommandLine wrong = Parse({"a.img", "--kit", "sdk85", "--board", bad});
        EXPECT_EQ(wrong.Action, CommandLineAction::Fail) << bad;
        EXPECT_EQ(wrong.Error.rfind("--board: '" + std::string(bad) + "' is not KIND@CHIP:PORT", 0), 0u) << wrong.Error;
    }
}

TEST(ParseCommandLine, UsageErrors)
{
    struct Row {
        std::vector<std::string> Args;
        const char* Error;
    } rows[] = {
        {{}, "no IMAGE and no --load: nothing to run"},
        {{"a.img", "b.img"}, "more than one IMAGE: 'a.img' and 'b.img'"},
        {{"--bogus", "a.img"}, "unknown option '--bogus'"},
        {{"-x", "a.img"}, "unknown option '-x'"},
        {{"a.img", "--pc"}, "option --pc needs a value"},
        {{"a.img", "--out="}, "option --out needs a value"},
        {{"a.img", "--cpm=1"}, "option --cpm takes no value"},
        {{"a.img", "--cpu", "8086"}, "--cpu: '8086' is not a processor model (8085 or 8080)"},
        {{"a.img", "--pc", "10000"}, "--pc: '10000' is not a hexadecimal address 0-FFFF"},
        {{"a.img", "--sp", "-2"}, "--sp: '-2' is not a hexadecimal address 0-FFFF"},
        {{"--load", "a.com"}, "--load: 'a.com' is not FILE@ADDR"},
        {{"--load", "@100"}, "--load: '@100' is not FILE@ADDR"},
        {{"--load", "a.com@12345"}, "--load: '12345' is not a hexadecimal address 0-FFFF"},
        {{"a.img", "--console-port", "100"}, "--console-port: '100' is not a hexadecimal number 0-FF"},
        {{"a.img", "--input", "1"}, "--input: '1' is not P=V (a hexadecimal port and byte, 0-FF each)"},
        {{"a.img", "--input", "1=100"}, "--input: '1=100' is not P=V (a hexadecimal port and byte, 0-FF each)"},
        {{"a.img", "--max-steps", "1e9"}, "--max-steps: '1e9' is not a decimal count"},
        {{"a.img", "--max-steps", "18446744073709551616"},
         "--max-steps: '18446744073709551616' is not a decimal count"},
        {{"a.img", "--dump", "2000"}, "--dump: '2000' is not FROM-TO (hexadecimal addresses 0-FFFF)"},
        {{"a.img", "--dump", "2010-200F"}, "--dump: '2010-200F' ends before it begins"},
        {{"a.img", "--cpm", "--trace", "-"},
         "--trace - cannot be used with --cpm: standard output carries only what the program prints"},
        {{"a.img", "--cpu", "8080", "--interrupt", "5:RST7.5"},
         "--interrupt: the 8080 has no TRAP or RST 5.5, 6.5 and 7.5 inputs, only INTR"},
        {{"a.img", "--console-port", "1", "--input", "01=2"},
         "--input: port 01 is the console port, which reads standard input"},
        {{"a.img", "--keys", "1"}, "--keys, --keys-file, --board and --probe need --kit"},
        {{"a.img", "--kit", "sdk85", "--cpm"}, "--kit cannot be used with --cpm: a kit's monitor is not CP/M"},
        {{"a.img", "--kit", "sdk85", "--keys", "NEXT@0"},
         "--keys: 'NEXT@0' is not KEY or KEY@STEP (STEP a decimal count from 1)"},
        {{"a.img", "--kit", "sdk85", "--keys", "@5"}, "--keys: '@5' is not KEY or KEY@STEP (STEP a decimal count from 1)"},
        {{"a.img", "--kit", "dyna85", "--probe", "8253"},
         "--probe: '8253' is not CHIP:N (a chip of the kit and its output, 8253:0)"},
    };
    for (const Row& row : rows) {
        const CommandLine line = Parse(row.Args);
        EXPECT_EQ(line.Action, CommandLineAction::Fail) << row.Error;
        EXPECT_EQ(line.Error, row.Error);
    }
}

TEST(ParseCommandLine, MalformedInterrupts)
{
    const char* const rows[] = {"5", "0:TRAP", "x:TRAP", "5:NMI", "5:INTR", "5:INTR:8", "5:RST5", ":TRAP"};
    for (const char* text : rows) {
        const CommandLine line = Parse({"a.img", "--interrupt", text});
        EXPECT_EQ(line.Error, std::string("--interrupt: '") + text +
                                  "' is not STEP:SOURCE (STEP a decimal count from 1; SOURCE TRAP, RST5.5, "
                                  "RST6.5, RST7.5 or INTR:0-7)");
    }
}

} // namespace
