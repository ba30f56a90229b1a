// Corvane: the first pass of the two-pass assembler.
//
//   Corvane <filename>
//
// Loads "etc/opcodes.txt", runs pass 1 over <filename>, and writes the
// listing <filename>.pass1, the symbol file <filename>.sym and the run log
// "etc/log-Pass1.txt". The exit status is 0 on every path.

#include "Console.h"
#include "FileIdentity.h"
#include "OpcodeTable.h"
#include "Pass1.h"
#include "RunLog.h"
#include "SymbolList.h"

#include <string>

int main(int argc, char* argv[])
{
    if (argc < 2) {
        PrintLine({"Usage: Corvane <filename>"});
        PrintLine({"Output will be in <filename>.pass1 and <filename>.sym"});
        return 0;
    }
    const char* sourceName = argv[1];
    CreateOutputFile(LogStream, _RunLogPath);

    LogLine({});
    LogLine({"Reading Opcodes Table"});
    OpcodeTableStructure* opcodeTable = ReadOpcodeTable(_OpcodeTablePath);

    const std::string listingName = std::string(sourceName) + ".pass1";
    const std::string symbolFileName = std::string(sourceName) + ".sym";
    LogLine({});
    LogLine({"Starting with Pass 1 on ", sourceName, " Output to ", listingName});
    Corvane(sourceName, listingName.c_str(), opcodeTable);

    LogLine({});
    LogLine({"Pass 1 completed"});
    LogLine({"Writing Symbol Table to ", symbolFileName});
    // The symbol file never replaces the source or the run log.
    WriteToSymbolFile(SymbolList, symbolFileName.c_str(), {IdentifyFile(sourceName), IdentifyRunLog()});
    LogLine({"Done with Symbol File"});

    LogLine({});
    LogLine({"Deleting Opcodes Table"});
    FreeOpcodeTable(opcodeTable);
    CleanSymbolList(SymbolList);
    SymbolList = nullptr;
    LogLine({"Symbol Table Cleaned"});

    CloseOutputFile(LogStream);
    return 0;
}
