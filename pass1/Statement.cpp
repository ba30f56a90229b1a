#include "Statement.h"

#include "Keywords.h"
#include "Listing.h"
#include "RunLog.h"
#include "SymbolData.h"
#include "SymbolList.h"

#include <cstring>

// What tells DB and DW apart; everything else about them is the same.
struct DataDirective {
    const char* Keyword;          // the record's first field
    const char* IdentifiedLine;   // logged when the statement is recognised
    const char* NoDataLine;       // logged when no value follows the keyword
    const char* AddedText;        // logged, with the Word, after each value
    int BytesPerValue;            // how far each value moves the counter
};

constexpr DataDirective _DefineBytes = {
    "DB", "DB identified", "DB parse Error: No Data Found", "Added 1 Byte Data ", 1};
constexpr DataDirective _DefineWords = {
    "DW", "DW identified", "DW parse Error: No Data Found", "Added 2 Byte Data ", 2};

// Moves the counter by delta bytes, wrapping in 16 bits.
static void Advance(std::int16_t& locationCounter, std::int32_t delta)
{
    locationCounter = static_cast<std::int16_t>(static_cast<std::uint32_t>(locationCounter)
                                                + static_cast<std::uint32_t>(delta));
}

// An instruction whose mnemonic is token p: one record, then the counter
// moves by the instruction's size.
static void ProcessInstruction(char tokens[][_MaxTokenLength], int count, int p,
                               const OpcodeTableStructure* table, std::int16_t& locationCounter,
                               OutputStream& listingFile)
{
    LogLine({"Mnemonic Identified: ", tokens[p]});
    const int size = GetInstructionSize(table, tokens[p]);
    WriteInstructionRecord(listingFile, locationCounter, tokens, p, count);
    Advance(locationCounter, size);
}

// A DB or DW statement whose keyword is token p: one record of the converted
// values, each moving the counter by the directive's value size.
static void ProcessData(const DataDirective& directive, char tokens[][_MaxTokenLength], int count,
                        int p, std::int16_t& locationCounter, OutputStream& listingFile)
{
    LogLine({directive.IdentifiedLine});
    if (count == p + 1) {
        LogLine({directive.NoDataLine});
        return;
    }
    BeginDataRecord(listingFile, locationCounter, directive.Keyword);
    for (int i = p + 1; i < count; ++i) {
        LogLine({"Parsing Token ", tokens[i]});
        int size = 0;
        const SymbolData value = Str2SymbolData(tokens[i], size);
        AddNumberField(listingFile, directive.BytesPerValue == 1 ? value.Byte : value.Word);
        Advance(locationCounter, directive.BytesPerValue);
        LogLine({directive.AddedText, Decimal(value.Word)});
    }
    EndRecord(listingFile);
}

// An instruction, DB or DW statement at token p, if token p starts one.
// Returns false when it starts none of them.
static bool ProcessCodeOrData(char tokens[][_MaxTokenLength], int count, int p,
                              const OpcodeTableStructure* table, std::int16_t& locationCounter,
                              OutputStream& listingFile)
{
    if (CheckMnemonic(tokens[p], table) != -1) {
        ProcessInstruction(tokens, count, p, table, locationCounter, listingFile);
    } else if (IsDB(tokens[p])) {
        ProcessData(_DefineBytes, tokens, count, p, locationCounter, listingFile);
    } else if (IsDW(tokens[p])) {
        ProcessData(_DefineWords, tokens, count, p, locationCounter, listingFile);
    } else {
        return false;
    }
    return true;
}

// A label in token 0: defined with the counter; what follows it may be an
// instruction, DB or DW. Anything else after it is reported and left alone.
static void ProcessLabel(char tokens[][_MaxTokenLength], int count, const OpcodeTableStructure* table,
                         std::int16_t& locationCounter, OutputStream& listingFile)
{
    tokens[0][std::strlen(tokens[0]) - 1] = '\0';
    LogLine({"Label Found: ", tokens[0]});
    Append(tokens[0], 2, MakeSymbolData(locationCounter));
    if (count > 1 && !ProcessCodeOrData(tokens, count, 1, table, locationCounter, listingFile)) {
        LogLine({"Parse Error: Unable to parse the rest of this line after the label"});
    }
}

// ORG address: the counter takes the address's Word; later tokens are ignored.
static void ProcessOrg(char tokens[][_MaxTokenLength], int count, std::int16_t& locationCounter)
{
    LogLine({"ORG Found"});
    if (count == 1) {
        LogLine({"ORG Parse error: Missing Address"});
        return;
    }
    int size = 0;
    locationCounter = Str2SymbolData(tokens[1], size).Word;
}

// name EQU value: the name is added with the value and size of the literal.
static void ProcessEqu(char tokens[][_MaxTokenLength], int count)
{
    LogLine({"EQU Identified"});
    if (count == 2) {
        LogLine({"EQU Parse error: Missing Data"});
        return;
    }
    int size = 0;
    const SymbolData value = Str2SymbolData(tokens[2], size);
    Append(tokens[0], size, value);
}

void ProcessStatement(char tokens[][_MaxTokenLength], int count, const OpcodeTableStructure* table,
                      std::int16_t& locationCounter, OutputStream& listingFile)
{
    if (IsLabel(tokens[0])) {
        ProcessLabel(tokens, count, table, locationCounter, listingFile);
    } else if (IsORG(tokens[0])) {
        ProcessOrg(tokens, count, locationCounter);
    } else if (ProcessCodeOrData(tokens, count, 0, table, locationCounter, listingFile)) {
        // done: instruction, DB or DW at position 0
    } else if (count == 1 || !IsEQU(tokens[1])) {
        LogLine({"Parse Error: Unable to parse this line"});
    } else {
        ProcessEqu(tokens, count);
    }
}
