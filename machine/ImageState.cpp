#include "ImageState.h"

#include "Cpm.h"

#include <cstdio>
#include <cstring>

namespace {

// The bits of the flags that the image holds; K and V live only in the core.
constexpr std::uint8_t _ImageFlagBits = _FlagS | _FlagZ | _FlagAC | _FlagP | _FlagCY;

std::string HexByte(unsigned value)
{
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

void CheckPair(const char* pair, const char* high, const char* low, const RegisterPair& stored, std::uint8_t highValue,
               std::uint8_t lowValue, std::vector<std::string>& warnings)
{
    if (stored.High == highValue && stored.Low == lowValue)
        return;
    warnings.push_back(std::string("register pair ") + pair + " holds " + HexByte(stored.High) + " " +
                       HexByte(stored.Low) + " but " + high + " and " + low + " hold " + HexByte(highValue) + " " +
                       HexByte(lowValue) + "; " + high + " and " + low + " are used");
}

std::uint16_t ReadAddress(const LittleEndianWord& word)
{
    return static_cast<std::uint16_t>(LoadWord(word));
}

} // namespace

std::vector<std::string> ApplyImage(const MachineImage& image, CpuState& cpu)
{
    std::vector<std::string> warnings;
    std::memcpy(cpu.Memory, image.Memory, sizeof cpu.Memory);
    cpu.PC = ReadAddress(image.Word1);
    cpu.SP = ReadAddress(image.Word2);
    const REGS& regs = image.Registers;
    cpu.A = regs.A;
    cpu.B = regs.B;
    cpu.C = regs.C;
    cpu.D = regs.D;
    cpu.E = regs.E;
    cpu.H = regs.H;
    cpu.L = regs.L;
    CheckPair("BC", "B", "C", regs.BC, regs.B, regs.C, warnings);
    CheckPair("DE", "D", "E", regs.DE, regs.D, regs.E, warnings);
    CheckPair("HL", "H", "L", regs.HL, regs.H, regs.L, warnings);

    const FLAGS& flags = image.Flags;
    std::uint8_t f = 0;
    f |= flags.S ? _FlagS : 0;
    f |= flags.Z ? _FlagZ : 0;
    f |= flags.AC ? _FlagAC : 0;
    f |= flags.P ? _FlagP : 0;
    f |= flags.CY ? _FlagCY : 0;
    cpu.F = f;
    if (flags.FlagByte != f) {
        warnings.push_back("FlagByte is " + HexByte(flags.FlagByte) + " but the flags S Z AC P CY (" +
                           (flags.S ? "1 " : "0 ") + (flags.Z ? "1 " : "0 ") + (flags.AC ? "1 " : "0 ") +
                           (flags.P ? "1 " : "0 ") + (flags.CY ? "1" : "0") + ") make " + HexByte(f) +
                           "; the flags are used");
    }

    cpu.IE = image.ExtraFlag == 1;
    cpu.EnablePending = false;
    if (image.ExtraFlag > 1) {
        warnings.push_back("ExtraFlag is " + HexByte(image.ExtraFlag) + ", neither 0 nor 1; interrupts start disabled");
    }
    return warnings;
}

void StoreImage(const CpuState& cpu, MachineImage& image)
{
    std::memcpy(image.Memory, cpu.Memory, sizeof image.Memory);
    StoreWord(image.Word1, static_cast<std::int16_t>(cpu.PC));
    StoreWord(image.Word2, static_cast<std::int16_t>(cpu.SP));
    REGS& regs = image.Registers;
    regs.A = cpu.A;
    regs.B = cpu.B;
    regs.C = cpu.C;
    regs.D = cpu.D;
    regs.E = cpu.E;
    regs.H = cpu.H;
    regs.L = cpu.L;
    regs.BC = {cpu.B, cpu.C};
    regs.DE = {cpu.D, cpu.E};
    regs.HL = {cpu.H, cpu.L};
    FLAGS& flags = image.Flags;
    flags.FlagByte = cpu.F & _ImageFlagBits;
    flags.S = (cpu.F & _FlagS) ? 1 : 0;
    flags.P = (cpu.F & _FlagP) ? 1 : 0;
    flags.Z = (cpu.F & _FlagZ) ? 1 : 0;
    flags.CY = (cpu.F & _FlagCY) ? 1 : 0;
    flags.AC = (cpu.F & _FlagAC) ? 1 : 0;
    image.ExtraFlag = IsInterruptEnabled(cpu) ? 1 : 0;
}

bool IsInterruptEnabled(const CpuState& cpu)
{
    return cpu.IE || cpu.EnablePending;
}

bool PlaceBytes(CpuState& cpu, std::uint16_t address, const std::string& bytes)
{
    if (bytes.size() > sizeof cpu.Memory - address)
        return false;
    if (!bytes.empty())
        std::memcpy(cpu.Memory + address, bytes.data(), bytes.size());
    return true;
}

void FinishFirstState(CpuState& cpu, const MachineOptions& options, bool hasImage)
{
    if (options.Cpm) {
        SetUpCpm(cpu);
        if (!hasImage)
            cpu.PC = _CpmProgramStart;
    }
    if (options.Pc)
        cpu.PC = *options.Pc;
    if (options.Sp)
        cpu.SP = *options.Sp;
}
