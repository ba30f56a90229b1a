#include "TestFiles.h"

#include "MachineCode.h"
#include "RegisterFile.h"

#include <cstdio>
#include <cstring>

InputFileFixture::InputFileFixture(const std::string& bytes)
    : Path((Dir.Path / "input").string())
{
    WriteFileBytes(Path, bytes);
}

std::unique_ptr<MachineImage> LoadMachineCodeText(const std::string& bytes)
{
    InputFileFixture file(bytes);
    auto image = std::make_unique<MachineImage>();
    std::memset(image->Memory, 0x5A, sizeof image->Memory);
    ReadMachineCode(file.Path.c_str(), image->Memory);
    return image;
}

NonzeroBytes ListNonzeroBytes(const MachineImage& image)
{
    NonzeroBytes bytes;
    for (unsigned address = 0; address < _MemorySize; ++address) {
        if (image.Memory[address] != 0) {
            bytes[address] = image.Memory[address];
        }
    }
    return bytes;
}

std::unique_ptr<MachineImage> ReadRegisterText(const std::string& bytes, unsigned char fill)
{
    InputFileFixture file(bytes);
    auto image = std::make_unique<MachineImage>();
    std::memset(image.get(), fill, sizeof *image);
    ReadREGSandFLAGS(file.Path.c_str(), image->Registers, image->Word1, image->Word2, image->Flags, image->ExtraFlag);
    return image;
}

std::string RegisterBytesText(const MachineImage& image)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(&image);
    std::string text;
    for (std::size_t offset = _MemorySize; offset < sizeof image; ++offset) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", bytes[offset]);
        text += (text.empty() ? "" : " ") + std::string(hex);
    }
    return text;
}
