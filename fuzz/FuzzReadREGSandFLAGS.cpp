// Fuzz target: reading any register data file. Registers and pairs must
// agree, every flag is 0 or 1, and the flag byte packs exactly the flags.

#include "FuzzInput.h"
#include "MachineImage.h"
#include "RegisterFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* path = WriteScratchFile("regs.txt", data, size);
    MachineImage* image = new MachineImage{};
    ReadREGSandFLAGS(path, image->Registers, image->Word1, image->Word2, image->Flags, image->ExtraFlag);
    const REGS& r = image->Registers;
    const FLAGS& f = image->Flags;
    const bool pairsAgree = r.BC.High == r.B && r.BC.Low == r.C && r.DE.High == r.D && r.DE.Low == r.E &&
                            r.HL.High == r.H && r.HL.Low == r.L;
    const bool flagsAreBits = f.S <= 1 && f.P <= 1 && f.Z <= 1 && f.CY <= 1 && f.AC <= 1 && image->ExtraFlag <= 1;
    const unsigned packed =
        (f.S ? 0x80u : 0u) | (f.Z ? 0x40u : 0u) | (f.AC ? 0x10u : 0u) | (f.P ? 0x04u : 0u) | (f.CY ? 0x01u : 0u);
    if (!pairsAgree || !flagsAreBits || f.FlagByte != packed) {
        __builtin_trap();
    }
    delete image;
    return 0;
}
