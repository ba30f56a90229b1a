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
const char* PageRegisterTable();
const char* PageRegisterValues();
const char* PageInstructionTable(int model);
const char* PageOutLog(std::uint32_t limit);
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
    EXPECT_STREQ(PageOutLog(100), "[]");
    EXPECT_EQ(DebugContinueSlice(1000000), 1); // one slice runs to the HLT
    // [instructions, address, port, value]: the same value twice is two OUTs.
    const std::string all = "[[2,8194,1,1],[3,8196,1,1],[5,8199,2,2]]";
    EXPECT_EQ(PageOutLog(100), all);
    EXPECT_STREQ(PageOutLog(2), "[[3,8196,1,1],[5,8199,2,2]]");
    EXPECT_EQ(Command("reverse-step"), 0); // back before the HLT: the OUT 02H has run
    EXPECT_EQ(PageOutLog(100), all);
    EXPECT_EQ(Command("reverse-step"), 0); // back before the OUT 02H
    EXPECT_STREQ(PageOutLog(100), "[[2,8194,1,1],[3,8196,1,1]]");
    EXPECT_EQ(Command("reverse-step 3"), 0); // back before the first OUT
    EXPECT_STREQ(PageOutLog(100), "[]");
    EXPECT_EQ(Command("step 4"), 0); // forward again: each OUT once
    EXPECT_EQ(PageOutLog(100), all);
    EXPECT_EQ(Command("reverse-step"), 0);
    EXPECT_EQ(Command("set a = 7"), 0); // another future: OUT 02H sends 7
    EXPECT_EQ(Command("step"), 0);
    EXPECT_STREQ(PageOutLog(100), "[[2,8194,1,1],[3,8196,1,1],[5,8199,2,7]]");
    EXPECT_EQ(Command("run"), 0); // from the start again
    EXPECT_STREQ(PageOutLog(100), "[]");
}

// ----- The page's tables -----

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(PageTables, TheRegisterTableHasEveryRegisterPairAndFlagOnce)
{
    const std::string table = PageRegisterTable();
    EXPECT_EQ(table.rfind("[{\"name\":\"A\",\"width\":8,\"only8085\":false,\"writable\":true},", 0), 0u) << table;
    for (const char* row :
         {"{\"name\":\"L\",\"width\":8,", "{\"name\":\"HL\",\"width\":16,", "{\"name\":\"PC\",\"width\":16,",
          "{\"name\":\"PSW\",\"width\":16,", "{\"name\":\"CY\",\"width\":1,\"only8085\":false,",
          "{\"name\":\"K\",\"width\":1,\"only8085\":true,",
          "{\"name\":\"V\",\"width\":1,\"only8085\":true,\"writable\":true}]"}) {
        EXPECT_TRUE(Has(table, row)) << row << " in " << table;
    }
    std::size_t rows = 0;
    for (std::size_t at = table.find("\"name\""); at != std::string::npos; at = table.find("\"name\"", at + 1))
        ++rows;
    EXPECT_EQ(rows, 20u) << table; // A-L, BC DE HL SP PC PSW, S Z AC P CY K V
}

TEST(PageTables, RegisterValuesFollowTheMachine)
{
    ASSERT_EQ(LoadLoop(""), 0) << Said();
    Command("step");
    Command("set HL = 1234H");
    Command("set CY = 1");
    const std::string values = PageRegisterValues();
    for (const char* value :
         {"\"A\":5,", "\"H\":18,", "\"L\":52,", "\"HL\":4660,", "\"PC\":8194,", "\"CY\":1,", "\"Z\":0,"}) {
        EXPECT_TRUE(Has(values, value)) << value << " in " << values;
    }
}

TEST(PageTables, TheInstructionTableOfEachModel)
{
    const std::string i8085 = PageInstructionTable(8085);
    const std::string i8080 = PageInstructionTable(8080);
    // The row of an opcode is the opcode-th line; values from the makers' manuals.
    const auto row = [](const std::string& table, int opcode) {
        std::size_t at = 0;
        for (int i = 0; i < opcode; ++i)
            at = table.find('\n', at) + 1;
        at = table.find('{', at);
        return table.substr(at, table.find('}', at) + 1 - at);
    };
    const auto made = [](int size, int states, int taken, const char* mnemonic, bool documented) {
        return "{\"size\":" + std::to_string(size) + ",\"states\":" + std::to_string(states) +
               ",\"statesTaken\":" + std::to_string(taken) + ",\"mnemonic\":\"" + mnemonic +
               "\",\"documented\":" + (documented ? "true" : "false") + "}";
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
