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

} // namespace
