// The opcode table: which words are instruction mnemonics, and how many bytes
// each instruction takes. Loaded once from "etc/opcodes.txt".
#pragma once

#include <cstdint>

// Bytes of a mnemonic field: at most 11 characters and a terminator.
constexpr int _MaxMnemonicSize = 12;

struct OpcodeTableStructure {
    char Mnemonic[_MaxMnemonicSize]; // empty for a row the file did not spell
    std::int32_t Size;               // instruction length in bytes
};

// Number of rows of the loaded table; both lookups take their bound from it.
// Only ReadOpcodeTable sets it.
extern std::int32_t _OpcodeCount;

// Path of the opcode table, relative to the working directory.
inline constexpr const char* _OpcodeTablePath = "etc/opcodes.txt";

// Loads the table file at path and logs every counted row. The table holds
// the rows the file spells, in one block (null when there are none), and
// _OpcodeCount becomes their number, whatever count the file gives: counted
// rows the file lacks are logged as empty rows (at most 65,536 rows logged in
// all) and never matched. A missing file gives an empty table.
OpcodeTableStructure* ReadOpcodeTable(const char* path);

// Releases a table returned by ReadOpcodeTable.
void FreeOpcodeTable(OpcodeTableStructure* table);

// Returns the index of the first row whose mnemonic is token, or -1.
int CheckMnemonic(const char* token, const OpcodeTableStructure* table);

// Returns the size of the first row whose mnemonic is mnemonic; when there is
// none, leaves an error text without a line end in the run log and returns -1.
int GetInstructionSize(const OpcodeTableStructure* table, const char* mnemonic);
