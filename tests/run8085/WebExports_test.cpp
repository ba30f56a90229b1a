// The page's functions, called natively as the page calls them in the
// WebAssembly module.
#include "MachineImage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

extern "C" {
int DebugLoad(const char* image, std::size_t imageLength, const char* map, std::size_t mapLength, const char* args,
              std::size_t argsLength);
int DebugCommand(const char* line, std::size_t length);
const char* DebugOutputPointer();
std::size_t DebugOutputLength();
const char* DebugStateJson();
const std::uint8_t* DebugMemoryPointer();
int DebugContinueSlice(std::uint32_t maxInstructions);
const char* DebugRegistersJson();
const char* DebugRegisterValuesJson();
const char* DebugInstructionsJson(int model);
const char* DebugOutLogJson(std::uint32_t limit);
}

namespace {

std::string Said()
{
    return std::string(DebugOutputPointer(), DebugOutputLength());
}

int Command(const std::string& line)
{
    return DebugCommand(line.data(), line.size());
}

// MVI A, 5; loop: INR B; JMP loop, started at 2000H.
int LoadLoop(const std::string& args)
{
    auto image = std::make_unique<MachineImage>();
    std::memset(image.get(), 0, sizeof *image);
    const std::uint8_t code[] = {0x3E, 0x05, 0x04, 0xC3, 0x02, 0x20};
    std::memcpy(image->Memory + 0x2000, code, sizeof code);
    image->Word1.Bytes[1] = 0x20;
    return DebugLoad(reinterpret_cast<const char*>(image.get()), sizeof *image, "", 0, args.data(), args.size());
}

TEST(WebExports, LoadStepAndReadTheStateBack)
{
    ASSERT_EQ(LoadLoop("--cpu\n8085\n"), 0) << Said();
    EXPECT_EQ(Said().substr(0, 15), "2000: MVI A, 05");
    EXPECT_EQ(Command("step"), 0);
    EXPECT_EQ(Said().substr(0, 11), "2002: INR B");
    const std::string json = DebugStateJson();
    EXPECT_NE(json.find("\"pc\":8194,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"a\":5,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"instructions\":1,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"historyAvailable\":1,"), std::string::npos) << json;
    EXPECT_EQ(DebugMemoryPointer()[0x2000], 0x3E);
    EXPECT_EQ(Command("set [2100H] = 9"), 0);
    EXPECT_EQ(DebugMemoryPointer()[0x2100], 9);
    EXPECT_EQ(Command("no such command"), 1);
}

TEST(WebExports, TheInterruptStateAndThePlaceInTheHistoryThroughTheModule)
{
    ASSERT_EQ(LoadLoop("--cpu\n8085\n"), 0) << Said();
    Command("step 3");
    Command("reverse-step");
    EXPECT_EQ(Command("interrupt RST7.5"), 0);
    const std::string json = DebugStateJson();
    EXPECT_NE(json.find("\"pending\":{\"trap\":false,\"rst75\":true,\"rst65\":false,\"rst55\":false,\"intr\":-1},"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"moment\":2,\"oldestMoment\":0,\"latestMoment\":2,"), std::string::npos) << json;
    EXPECT_EQ(Command("info interrupts"), 0);
    EXPECT_NE(Said().find("RST 7.5  003CH   masked  edge, latched at the next step\n"), std::string::npos) << Said();
    EXPECT_EQ(Command("when"), 0);
    EXPECT_EQ(Said(), "moment 2 (2 instructions, 11 T-states)\n");
    EXPECT_EQ(Command("source commands.txt"), 1);
    EXPECT_EQ(Said(), "no files here\n");
}

TEST(WebExports, ContinueRunsInSlicesUntilAStop)
{
    ASSERT_EQ(LoadLoop(""), 0);
    Command("break 2002H if B == 250");
    int slices = 0;
    while (DebugContinueSlice(100) == 0)
        ++slices;
    EXPECT_GT(slices, 3);
    EXPECT_EQ(Said().substr(0, 20), "breakpoint 1, 2002H\n");
    const std::string json = DebugStateJson();
    EXPECT_NE(json.find("\"stop\":\"breakpoint\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"b\":250,"), std::string::npos) << json;
}

TEST(WebExports, ABadLoadSaysWhy)
{
    EXPECT_EQ(DebugLoad("", 0, "", 0, "", 0), 1);
    EXPECT_NE(Said().find("not the 65560 bytes"), std::string::npos) << Said();
    const std::string bad = "--cpu\n8086\n";
    EXPECT_EQ(LoadLoop(bad), 1);
    EXPECT_NE(Said().find("8086"), std::string::npos) << Said();
}

// MVI A, 1; OUT 01H; OUT 01H; INR A; OUT 02H; HLT at 2000H.
int LoadOuts()
{
    auto image = std::make_unique<MachineImage>();
    std::memset(image.get(), 0, sizeof *image);
    const std::uint8_t code[] = {0x3E, 0x01, 0xD3, 0x01, 0xD3, 0x01, 0x3C, 0xD3, 0x02, 0x76};
    std::memcpy(image->Memory + 0x2000, code, sizeof code);
    image->Word1.Bytes[1] = 0x20;
    return DebugLoad(reinterpret_cast<const char*>(image.get()), sizeof *image, "", 0, "", 0);
}

TEST(WebExports, TheOutLogHasEveryOutAndFollowsTheMachineBackAndForth)
{
    ASSERT_EQ(LoadOuts(), 0) << Said();
    EXPECT_STREQ(DebugOutLogJson(100), "[]");
    EXPECT_EQ(DebugContinueSlice(1000000), 1); // one slice runs to the HLT
    // [instructions, address, port, value]: the same value twice is two OUTs.
    const std::string all = "[[2,8194,1,1],[3,8196,1,1],[5,8199,2,2]]";
    EXPECT_EQ(DebugOutLogJson(100), all);
    EXPECT_STREQ(DebugOutLogJson(2), "[[3,8196,1,1],[5,8199,2,2]]");
    EXPECT_EQ(Command("reverse-step"), 0); // back before the HLT: the OUT 02H has run
    EXPECT_EQ(DebugOutLogJson(100), all);
    EXPECT_EQ(Command("reverse-step"), 0); // back before the OUT 02H
    EXPECT_STREQ(DebugOutLogJson(100), "[[2,8194,1,1],[3,8196,1,1]]");
    EXPECT_EQ(Command("reverse-step 3"), 0); // back before the first OUT
    EXPECT_STREQ(DebugOutLogJson(100), "[]");
    EXPECT_EQ(Command("step 4"), 0); // forward again: each OUT once
    EXPECT_EQ(DebugOutLogJson(100), all);
    EXPECT_EQ(Command("reverse-step"), 0);
    EXPECT_EQ(Command("set a = 7"), 0); // another future: OUT 02H sends 7
    EXPECT_EQ(Command("step"), 0);
    EXPECT_STREQ(DebugOutLogJson(100), "[[2,8194,1,1],[3,8196,1,1],[5,8199,2,7]]");
    EXPECT_EQ(Command("run"), 0); // from the start again
    EXPECT_STREQ(DebugOutLogJson(100), "[]");
}

// ----- The page's tables -----

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// The page builds its register and flag panels from this table, and finds
// each value in the state under the row's name in lower case.
TEST(WebExports, TheRegisterTableAsJson)
{
    EXPECT_EQ(std::string(DebugRegistersJson()),
              "[{\"name\":\"PC\",\"kind\":\"register\",\"width\":16,\"only8085\":false,\"writable\":true},"
              "{\"name\":\"SP\",\"kind\":\"register\",\"width\":16,\"only8085\":false,\"writable\":true},"
              "{\"name\":\"A\",\"kind\":\"register\",\"width\":8,\"only8085\":false,\"writable\":true},"
              "{\"name\":\"B\",\"kind\":\"register\",\"width\":8,\"only8085\":false,\"writable\":true},"
              "{\"name\":\"C\",\"kind\":\"register\",\"width\":8,\"only8085\":false,\"writable\":true},"
              "{\"name\":\"D\",\"kind\":\"register\",\"width\":8,\"only8085\":false,\"writable\":true},"
              "{\"name\":\"E\",\"kind\":\"register\",\"width\":8,\"only8085\":false,\"writable\":true},"
              "{\"name\":\"H\",\"kind\":\"register\",\"width\":8,\"only8085\":false,\"writable\":true},"
              "{\"name\":\"L\",\"kind\":\"register\",\"width\":8,\"only8085\":false,\"writable\":true},"
              "{\"name\":\"BC\",\"kind\":\"pair\",\"width\":16,\"only8085\":false,\"writable\":true},"
              "{\"name\":\"DE\",\"kind\":\"pair\",\"width\":16,\"only8085\":false,\"writable\":true},"
              "{\"name\":\"HL\",\"kind\":\"pair\",\"width\":16,\"only8085\":false,\"writable\":true},"
              "{\"name\":\"PSW\",\"kind\":\"pair\",\"width\":16,\"only8085\":false,\"writable\":true},"
              "{\"name\":\"S\",\"kind\":\"flag\",\"width\":1,\"only8085\":false,\"writable\":true},"
              "{\"name\":\"Z\",\"kind\":\"flag\",\"width\":1,\"only8085\":false,\"writable\":true},"
              "{\"name\":\"AC\",\"kind\":\"flag\",\"width\":1,\"only8085\":false,\"writable\":true},"
              "{\"name\":\"P\",\"kind\":\"flag\",\"width\":1,\"only8085\":false,\"writable\":true},"
              "{\"name\":\"CY\",\"kind\":\"flag\",\"width\":1,\"only8085\":false,\"writable\":true},"
              "{\"name\":\"V\",\"kind\":\"flag\",\"width\":1,\"only8085\":true,\"writable\":true},"
              "{\"name\":\"K\",\"kind\":\"flag\",\"width\":1,\"only8085\":true,\"writable\":true}]");
    ASSERT_EQ(LoadLoop(""), 0);
    Command("set BC = 1234H");
    Command("set K = 1");
    const std::string json = DebugStateJson();
    EXPECT_NE(json.find("{\"pc\":8192,\"sp\":0,\"a\":0,\"b\":18,\"c\":52,\"d\":0,\"e\":0,\"h\":0,\"l\":0,\"f\":32,"
                        "\"flags\":{\"s\":0,\"z\":0,\"ac\":0,\"p\":0,\"cy\":0,\"v\":0,\"k\":1},"),
              std::string::npos)
        << json;
}

// One object per opcode, in opcode order, for the model asked for.
TEST(WebExports, TheInstructionTableAsJson)
{
    const std::string table8085 = DebugInstructionsJson(8085);
    const std::string table8080 = DebugInstructionsJson(8080);
    const struct {
        const std::string& Table;
        const char* Row;
    } rows[] = {
        {table8085, "[{\"mnemonic\":\"NOP\",\"size\":1,\"states\":4,\"statesTaken\":4,\"control\":\"none\","
                    "\"conditional\":false,\"documented\":true},"},
        {table8085, "{\"mnemonic\":\"CNZ\",\"size\":3,\"states\":9,\"statesTaken\":18,\"control\":\"call\","
                    "\"conditional\":true,\"documented\":true}"},
        {table8080, "{\"mnemonic\":\"RZ\",\"size\":1,\"states\":5,\"statesTaken\":11,\"control\":\"return\","
                    "\"conditional\":true,\"documented\":true}"},
        {table8085, "{\"mnemonic\":\"PCHL\",\"size\":1,\"states\":6,\"statesTaken\":6,\"control\":\"jump\","
                    "\"conditional\":false,\"documented\":true}"},
        {table8085, "{\"mnemonic\":\"RSTV\",\"size\":1,\"states\":6,\"statesTaken\":12,\"control\":\"restart\","
                    "\"conditional\":true,\"documented\":false}"},
        {table8080, "{\"mnemonic\":\"RST\",\"size\":1,\"states\":11,\"statesTaken\":11,\"control\":\"restart\","
                    "\"conditional\":false,\"documented\":true}]"},
    };
    for (const auto& row : rows)
        EXPECT_NE(row.Table.find(row.Row), std::string::npos) << row.Row;
    std::size_t objects = 0;
    for (std::size_t at = table8080.find("{\"mnemonic\""); at != std::string::npos;
         at = table8080.find("{\"mnemonic\"", at + 1))
        ++objects;
    EXPECT_EQ(objects, 256u);
    EXPECT_EQ(std::string(DebugInstructionsJson(8086)), "null");
}

TEST(PageTables, RegisterValuesFollowTheMachine)
{
    ASSERT_EQ(LoadLoop(""), 0) << Said();
    Command("step");
    Command("set HL = 1234H");
    Command("set CY = 1");
    const std::string values = DebugRegisterValuesJson();
    for (const char* value :
         {"\"A\":5,", "\"H\":18,", "\"L\":52,", "\"HL\":4660,", "\"PC\":8194,", "\"CY\":1,", "\"Z\":0,"}) {
        EXPECT_TRUE(Has(values, value)) << value << " in " << values;
    }
}

TEST(PageTables, TheInstructionTableOfEachModel)
{
    const std::string i8085 = DebugInstructionsJson(8085);
    const std::string i8080 = DebugInstructionsJson(8080);
    // The mnemonic, size, times and documentation of the opcode-th object;
    // values from the makers' manuals.
    const auto row = [](const std::string& table, int opcode) {
        std::size_t at = table.find("{\"mnemonic\"");
        for (int i = 0; i < opcode; ++i)
            at = table.find("{\"mnemonic\"", at + 1);
        const std::size_t control = table.find(",\"control\"", at);
        const std::size_t documented = table.find(",\"documented\"", at);
        const std::size_t end = table.find('}', documented);
        return table.substr(at, control - at) + table.substr(documented, end + 1 - documented);
    };
    const auto made = [](int size, int states, int taken, const char* mnemonic, bool documented) {
        return "{\"mnemonic\":\"" + std::string(mnemonic) + "\",\"size\":" + std::to_string(size) +
               ",\"states\":" + std::to_string(states) + ",\"statesTaken\":" + std::to_string(taken) +
               ",\"documented\":" + (documented ? "true" : "false") + "}";
    };
    const struct {
        int Opcode;
        std::string Row8085;
        std::string Row8080;
    } rows[] = {
        {0x00, made(1, 4, 4, "NOP", true), made(1, 4, 4, "NOP", true)},
        {0x31, made(3, 10, 10, "LXI", true), made(3, 10, 10, "LXI", true)},
        {0x76, made(1, 5, 5, "HLT", true), made(1, 7, 7, "HLT", true)},
        {0xC0, made(1, 6, 12, "RNZ", true), made(1, 5, 11, "RNZ", true)},
        {0xC2, made(3, 7, 10, "JNZ", true), made(3, 10, 10, "JNZ", true)},
        {0xC4, made(3, 9, 18, "CNZ", true), made(3, 11, 17, "CNZ", true)},
        {0xCD, made(3, 18, 18, "CALL", true), made(3, 17, 17, "CALL", true)},
        {0xFF, made(1, 12, 12, "RST", true), made(1, 11, 11, "RST", true)},
        // RIM and SIM are the 8085's; the 8080 runs their bytes as NOP.
        {0x20, made(1, 4, 4, "RIM", true), made(1, 4, 4, "NOP", false)},
        {0x30, made(1, 4, 4, "SIM", true), made(1, 4, 4, "NOP", false)},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(row(i8085, r.Opcode), r.Row8085) << "8085 opcode " << r.Opcode;
        EXPECT_EQ(row(i8080, r.Opcode), r.Row8080) << "8080 opcode " << r.Opcode;
    }
    EXPECT_EQ(i8085.back(), ']');
}

TEST(PageTables, AfterAHltTheLineIsTheHltsAndPcIsPastIt)
{
    // 2000H: HLT (line 2), 2001H: DB 25 (line 3).
    auto image = std::make_unique<MachineImage>();
    std::memset(image.get(), 0, sizeof *image);
    image->Memory[0x2000] = 0x76;
    image->Memory[0x2001] = 25;
    image->Word1.Bytes[1] = 0x20;
    const std::string map = "source-map 1\nsource p.asm\ntext START:\ntext  HLT\ntext  DB 25\n"
                            "record 1 2 2000 1 code\nrecord 2 3 2001 1 data\n";
    ASSERT_EQ(DebugLoad(reinterpret_cast<const char*>(image.get()), sizeof *image, map.data(), map.size(), "", 0), 0)
        << Said();
    EXPECT_TRUE(Has(DebugStateJson(), "\"sourceLine\":2,"));
    Command("step");
    const std::string json = DebugStateJson();
    EXPECT_TRUE(Has(json, "\"halted\":true,")) << json;
    EXPECT_TRUE(Has(json, "\"pc\":8193,")) << json;
    EXPECT_TRUE(Has(json, "\"sourceLine\":2,")) << json;
}

} // namespace
