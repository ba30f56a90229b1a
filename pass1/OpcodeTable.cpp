#include "OpcodeTable.h"

#include "InputFile.h"
#include "RunLog.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

/* Global state of the opcode table */
std::int32_t _OpcodeCount = 0;   // rows of the one table of the run

// The most rows a table may have. A larger count gives an empty table, so a
// corrupt count can never make the run log millions of rows; the complete
// 8080/8085 instruction set takes 80.
constexpr std::int32_t _MaxOpcodeCount = 4096;

// Tells whether c separates the items of the table file.
static bool IsTableSpace(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Skips whitespace before the next item.
static void SkipTableSpace(InputFile& file)
{
    while (IsTableSpace(PeekByte(file))) {
        ReadByte(file);
    }
}

// integer ::= [ '+' | '-' ] digit { digit }
// Reads a signed 32-bit decimal integer; false when none is there or it is
// out of range.
static bool ReadInteger(InputFile& file, std::int32_t& value)
{
    SkipTableSpace(file);
    bool negative = false;
    if (PeekByte(file) == '+' || PeekByte(file) == '-') {
        negative = ReadByte(file) == '-';
    }
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                                        : std::numeric_limits<std::int32_t>::max();
    std::int64_t magnitude = 0;
    bool anyDigit = false;
    bool inRange = true;
    for (int c = PeekByte(file); c >= '0' && c <= '9'; c = PeekByte(file)) {
        ReadByte(file);
        anyDigit = true;
        magnitude = std::min<std::int64_t>(magnitude * 10 + (c - '0'), limit + 1);
        inRange = inRange && magnitude <= limit;
    }
    if (!anyDigit || !inRange) {
        return false;
    }
    value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return true;
}

// word ::= non-space { non-space }
// Reads the next word into mnemonic when it fits; a longer word, or one that
// holds a zero byte, leaves mnemonic empty and sets unusable. False at the end
// of the file.
static bool ReadMnemonic(InputFile& file, char (&mnemonic)[_MaxMnemonicSize], bool& unusable)
{
    SkipTableSpace(file);
    std::size_t length = 0;
    unusable = false;
    for (int c = PeekByte(file); c >= 0 && !IsTableSpace(c); c = PeekByte(file)) {
        ReadByte(file);
        unusable = unusable || c == '\0' || length == _MaxMnemonicSize - 1;
        if (length < _MaxMnemonicSize - 1) {
            mnemonic[length] = static_cast<char>(c);
        }
        ++length;
    }
    mnemonic[std::min<std::size_t>(length, _MaxMnemonicSize - 1)] = '\0';
    if (unusable) {
        mnemonic[0] = '\0';
    }
    return length > 0;
}

// Logs one loaded row: tab, index, full stop, two tabs, mnemonic, two tabs, size.
static void LogRow(std::int32_t index, const OpcodeTableStructure& row)
{
    LogLine({"\t", Decimal(index), ".\t\t", row.Mnemonic, "\t\t", Decimal(row.Size)});
}

// Reads and logs the counted rows. From the first row that the file does not
// spell whole (it ends, or a size is no number), every row stays empty: no
// mnemonic, size 0, never matched.
static void ReadRows(InputFile& file, OpcodeTableStructure* table, std::int32_t count)
{
    bool complete = true;
    for (std::int32_t i = 0; i < count; ++i) {
        OpcodeTableStructure& row = table[i];
        bool unusable = false;
        if (complete) {
            complete = ReadMnemonic(file, row.Mnemonic, unusable) && ReadInteger(file, row.Size);
            if (!complete) {
                row = OpcodeTableStructure{};
                LogLine({"Opcode table ends early: only ", Decimal(i), " of ", Decimal(count),
                         " rows could be read"});
            } else if (unusable) {
                LogLine({"Mnemonic of row ", Decimal(i),
                         " is longer than 11 characters or holds a zero byte: the row never matches"});
            }
        }
        LogRow(i, row);
    }
}

// Allocates count empty rows; null, with _OpcodeCount 0 and a log line, when
// the count is negative, above the limit or more than the memory holds.
static OpcodeTableStructure* AllocateRows(std::int32_t count)
{
    if (count < 0) {
        LogLine({"Opcode count is negative: the table is empty"});
    } else if (count > _MaxOpcodeCount) {
        LogLine({"Opcode count is above ", Decimal(_MaxOpcodeCount), ": the table is empty"});
    } else if (count > 0) {
        auto* table = new (std::nothrow) OpcodeTableStructure[static_cast<std::size_t>(count)]();
        if (table != nullptr) {
            return table;
        }
        LogLine({"Opcode table too large for the memory: the table is empty"});
    }
    _OpcodeCount = 0;
    return nullptr;
}

OpcodeTableStructure* ReadOpcodeTable(const char* path)
{
    auto file = std::make_unique<InputFile>();
    const bool opened = OpenInputFile(*file, path);
    std::int32_t count = 0;
    if (opened && ReadInteger(*file, count)) {
        _OpcodeCount = count;
    }
    LogLine({"Opcode Count is ", Decimal(_OpcodeCount)});
    OpcodeTableStructure* table = AllocateRows(_OpcodeCount);
    ReadRows(*file, table, _OpcodeCount);
    CloseInputFile(*file);
    return table;
}

void FreeOpcodeTable(OpcodeTableStructure* table)
{
    delete[] table;
}

// Finds the first usable row whose mnemonic equals text, or -1. Rows whose
// first character differs are passed over without a full comparison.
static int FindRow(const char* text, const OpcodeTableStructure* table)
{
    if (text[0] == '\0') {
        return -1;
    }
    for (int i = 0; i < _OpcodeCount; ++i) {
        if (table[i].Mnemonic[0] == text[0] && std::strcmp(table[i].Mnemonic, text) == 0) {
            return i;
        }
    }
    return -1;
}

int CheckMnemonic(const char* token, const OpcodeTableStructure* table)
{
    return FindRow(token, table);
}

int GetInstructionSize(const OpcodeTableStructure* table, const char* mnemonic)
{
    const int row = FindRow(mnemonic, table);
    if (row < 0) {
        LogText("ERROR: Unable to find Mnemonic ");
        LogText(mnemonic);
        return -1;
    }
    return table[row].Size;
}
