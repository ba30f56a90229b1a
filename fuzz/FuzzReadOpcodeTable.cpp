// Fuzz target: loading any opcode table file, then looking up every loaded
// mnemonic and a few words that the file may not spell.

#include "DiscardLog.h"
#include "FuzzInput.h"
#include "OpcodeTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DiscardRunLogOnce();
    const char* path = WriteScratchFile("opcodes.txt", data, size);
    OpcodeTableStructure* table = ReadOpcodeTable(path);
    if (_OpcodeCount < 0 || (_OpcodeCount > 0 && table == nullptr)) {
        __builtin_trap();
    }
    for (int i = 0; i < _OpcodeCount; ++i) {
        const int row = CheckMnemonic(table[i].Mnemonic, table);
        if (table[i].Mnemonic[0] != '\0' && (row < 0 || row > i)) {
            __builtin_trap();
        }
    }
    for (const char* word : {"", "MOV", "X"}) {
        CheckMnemonic(word, table);
        GetInstructionSize(table, word);
    }
    FreeOpcodeTable(table);
    return 0;
}
