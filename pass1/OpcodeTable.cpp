#include "OpcodeTable.h"

#include "InputFile.h"
#include "RunLog.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

/* Global state of the opcode table */
std::int32_t _OpcodeCount = 0; // rows of the one table of the run; set by ReadOpcodeTable alone

// Rows logged at most. Every row the file holds is logged; past the end of
// the file the counted rows are logged as empty rows only until this many
// rows have been logged in all, so that a corrupt count can never make the
// run log billions of rows.
constexpr std::int64_t _MaxLoggedRows = 65536;

// The rows read so far, in one block that grows with them.
struct RowBlock {
    OpcodeTableStructure* Rows = nullptr;
    std::int32_t Count = 0;
    std::size_t Capacity = 0;
};

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

// Adds row to the block, doubling its room when it is full; false when the
// memory does not hold the larger block.
static bool AddRow(RowBlock& block, const OpcodeTableStructure& row)
{
    if (static_cast<std::size_t>(block.Count) == block.Capacity) {
        const std::size_t capacity = block.Capacity == 0 ? 128 : block.Capacity * 2;
        auto* rows = new (std::nothrow) OpcodeTableStructure[capacity]();
        if (rows == nullptr) {
            return false;
        }
        std::copy(block.Rows, block.Rows + block.Count, rows);
        delete[] block.Rows;
        block.Rows = rows;
        block.Capacity = capacity;
    }
    block.Rows[block.Count++] = row;
    return true;
}

// Logs the counted rows from index first on, which the file does not hold,
// as empty rows (no mnemonic, size 0): as many as fit below _MaxLoggedRows
// rows logged in all, then one line for the rest.
static void LogMissingRows(std::int32_t first, std::int32_t count)
{
    const std::int64_t end = std::min<std::int64_t>(count, std::max<std::int64_t>(first, _MaxLoggedRows));
    for (std::int64_t i = first; i < end; ++i) {
        LogRow(static_cast<std::int32_t>(i), OpcodeTableStructure{});
    }
    if (end < count) {
        LogLine({Decimal(count - end), " more counted rows are empty and not logged"});
    }
}

// Reads and logs the counted rows that the file holds, up to the first row
// it does not spell whole (it ends, or a size is no number); the rows after
// that are only logged. The block holds the rows read, never more than the
// file gives, whatever the count says.
static void ReadRows(InputFile& file, std::int32_t count, RowBlock& block)
{
    for (std::int32_t i = 0; i < count; ++i) {
        OpcodeTableStructure row{};
        bool unusable = false;
        if (!ReadMnemonic(file, row.Mnemonic, unusable) || !ReadInteger(file, row.Size)) {
            LogLine({"Opcode table ends early: only ", Decimal(i), " of ", Decimal(count), " rows could be read"});
            LogMissingRows(i, count);
            return;
        }
        if (unusable) {
            LogLine({"Mnemonic of row ", Decimal(i),
                     " is longer than 11 characters or holds a zero byte: the row never matches"});
        }
        if (!AddRow(block, row)) {
            LogLine({"Opcode table too large for the memory: the table is empty"});
            delete[] block.Rows;
            block = RowBlock{};
            return;
        }
        LogRow(i, row);
    }
}

OpcodeTableStructure* ReadOpcodeTable(const char* path)
{
    auto file = std::make_unique<InputFile>();
    std::int32_t count = 0;
    if (OpenInputFile(*file, path)) {
        ReadInteger(*file, count);
    }
    LogLine({"Opcode Count is ", Decimal(count)});
    RowBlock block;
    if (count < 0) {
        LogLine({"Opcode count is negative: the table is empty"});
    } else {
        ReadRows(*file, count, block);
    }
    CloseInputFile(*file);
    _OpcodeCount = block.Count;
    return block.Rows;
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
