#include "RegisterFile.h"

#include "DecimalValue.h"
#include "Messages.h"
#include "TextFile.h"

// Packs the five flags into FlagByte.
void Flags2Byte(FLAGS& flags)
{
    flags.FlagByte = 0;
    if (flags.S == 1) {
        flags.FlagByte |= _SignBit;
    }
    if (flags.P == 1) {
        flags.FlagByte |= _ParityBit;
    }
    if (flags.Z == 1) {
        flags.FlagByte |= _ZeroBit;
    }
    if (flags.CY == 1) {
        flags.FlagByte |= _CarryBit;
    }
    if (flags.AC == 1) {
        flags.FlagByte |= _AuxiliaryCarryBit;
    }
}

// Reads the next value as a register: its low 8 bits.
static unsigned char ReadRegister(TextFile& file)
{
    return static_cast<unsigned char>(ReadDecimalValue(file).Bits & 0xFF);
}

// Reads the next value as a word: all of its 16 bits.
static void ReadWord(TextFile& file, LittleEndianWord& word)
{
    StoreWord(word, static_cast<std::int16_t>(ReadDecimalValue(file).Bits));
}

// Reads the next value as a flag: 1 when it is nonzero, else 0.
static unsigned char ReadFlag(TextFile& file)
{
    return ReadDecimalValue(file).Nonzero ? 1 : 0;
}

// Reads the fifteen values of the register data file into the image fields.
void ReadREGSandFLAGS(const char* fileName, REGS& registers, LittleEndianWord& word1, LittleEndianWord& word2,
                      FLAGS& flags, unsigned char& extraFlag)
{
    TextFile file;
    if (!OpenTextFile(file, fileName)) {
        ReportUnableToOpen(fileName);
        return;
    }
    registers.A = ReadRegister(file);
    registers.B = ReadRegister(file);
    registers.C = ReadRegister(file);
    registers.BC = {registers.B, registers.C};
    registers.D = ReadRegister(file);
    registers.E = ReadRegister(file);
    registers.DE = {registers.D, registers.E};
    registers.H = ReadRegister(file);
    registers.L = ReadRegister(file);
    registers.HL = {registers.H, registers.L};
    ReadWord(file, word1);
    ReadWord(file, word2);
    flags.S = ReadFlag(file);
    flags.Z = ReadFlag(file);
    flags.AC = ReadFlag(file);
    flags.P = ReadFlag(file);
    flags.CY = ReadFlag(file);
    Flags2Byte(flags);
    extraFlag = ReadFlag(file);
    CloseTextFile(file);
}
