// Fuzz target: a whole first pass over any source bytes, with the shipped
// opcode table, writing the listing and the symbol file to scratch files.

#include "DiscardLog.h"
#include "FuzzInput.h"
#include "OpcodeTable.h"
#include "Pass1.h"
#include "SymbolList.h"

#include <string>

// The shipped table, loaded once for every input.
static const OpcodeTableStructure* LoadTable()
{
    static OpcodeTableStructure* table = ReadOpcodeTable(OPCODE_TABLE_PATH);
    return table;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DiscardRunLogOnce();
    const OpcodeTableStructure* table = LoadTable();
    const char* source = WriteScratchFile("prog.asm", data, size);
    const std::string listing = std::string(source) + ".pass1";
    const std::string symbols = std::string(source) + ".sym";
    Corvane(source, listing.c_str(), table);
    WriteToSymbolFile(SymbolList, symbols.c_str());
    CleanSymbolList(SymbolList);
    SymbolList = nullptr;
    SymbolCount = 0;
    return 0;
}
