#include "Statement.h"

#include "Keywords.h"
#include "Listing.h"
#include "RunLog.h"
#include "SymbolData.h"
#include "SymbolList.h"

#include <cstring>

// What tells DB and DW apart; everything else about them is the same.
struct DataDirective {
    const char* Keyword;        // the record's first field
    const char* IdentifiedLine; // logged when the statement is recognised
    const char* NoDataLine;     // logged when no value follows the keyword
    const char* AddedText;      // logged, with the Word, after each value
    int BytesPerValue;          // how far each value moves the counter
};

constexpr DataDirective _DefineBytes = {"DB", "DB identified", "DB parse Error: No Data Found", "Added 1 Byte Data ",
                                        1};
constexpr DataDirective _DefineWords = {"DW", "DW identified", "DW parse Error: No Data Found", "Added 2 Byte Data ",
                                        2};

// Moves the counter by delta bytes, wrapping in 16 bits.
static void Advance(std::int16_t& locationCounter, std::int32_t delta)
{
    locationCounter =
        static_cast<std::int16_t>(static_cast<std::uint32_t>(locationCounter) + static_cast<std::uint32_t>(delta));
}

// An instruction whose mnemonic is token p: one record, then the counter
// moves by the instruction's size.
static void ProcessInstruction(char tokens[][_MaxTokenLength], int count, int p, const OpcodeTableStructure* table,
                               std::int16_t& locationCounter, OutputStream& listingFile)
{
    LogLine({"Mnemonic Identified: ", tokens[p]});
    const int size = GetInstructionSize(table, tokens[p]);
    WriteInstructionRecord(listingFile, locationCounter, tokens, p, count);
    Advance(locationCounter, size);
}

// A DB or DW statement whose keyword is token p: one record of the converted
// values, each moving the counter by the directive's value size.
static void ProcessData(const DataDirective& directive, char tokens[][_MaxTokenLength], int count, int p,
                        std::int16_t& locationCounter, OutputStream& listingFile)
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

// What a token in mnemonic position starts.
enum class CodeOrData { None, Instruction, DefineBytes, DefineWords };

// Tells what token starts: the opcode table is consulted before DB and DW,
// so a row spelled DB or DW takes the place of that directive.
static CodeOrData ClassifyCodeOrData(const char* token, const OpcodeTableStructure* table)
{
    if (CheckMnemonic(token, table) != -1) {
        return CodeOrData::Instruction;
    }
    if (IsDB(token)) {
        return CodeOrData::DefineBytes;
    }
    if (IsDW(token)) {
        return CodeOrData::DefineWords;
    }
    return CodeOrData::None;
}

// Processes the instruction, DB or DW statement of the given kind at token p.
static void ProcessCodeOrData(CodeOrData kind, char tokens[][_MaxTokenLength], int count, int p,
                              const OpcodeTableStructure* table, std::int16_t& locationCounter,
                              OutputStream& listingFile)
{
    switch (kind) {
    case CodeOrData::Instruction: ProcessInstruction(tokens, count, p, table, locationCounter, listingFile); return;
    case CodeOrData::DefineBytes: ProcessData(_DefineBytes, tokens, count, p, locationCounter, listingFile); return;
    case CodeOrData::DefineWords: ProcessData(_DefineWords, tokens, count, p, locationCounter, listingFile); return;
    case CodeOrData::None: return;
    }
}

// A label in token 0: defined with the counter; what follows it may be an
// instruction, DB or DW. Anything else after it is reported and left alone.
static void ProcessLabel(char tokens[][_MaxTokenLength], int count, const OpcodeTableStructure* table,
                         std::int16_t& locationCounter, OutputStream& listingFile)
{
    tokens[0][std::strlen(tokens[0]) - 1] = '\0';
    LogLine({"Label Found: ", tokens[0]});
    Append(tokens[0], 2, MakeSymbolData(locationCounter));
    if (count == 1) {
        return;
    }
    const CodeOrData kind = ClassifyCodeOrData(tokens[1], table);
    if (kind == CodeOrData::None) {
        LogLine({"Parse Error: Unable to parse the rest of this line after the label"});
        return;
    }
    ProcessCodeOrData(kind, tokens, count, 1, table, locationCounter, listingFile);
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

// The first rule that fits decides: a label, ORG, an instruction, DB or DW,
// then name EQU value; anything else is a parse error.
void ProcessStatement(char tokens[][_MaxTokenLength], int count, const OpcodeTableStructure* table,
                      std::int16_t& locationCounter, OutputStream& listingFile)
{
    if (IsLabel(tokens[0])) {
        ProcessLabel(tokens, count, table, locationCounter, listingFile);
        return;
    }
    if (IsORG(tokens[0])) {
        ProcessOrg(tokens, count, locationCounter);
        return;
    }
    const CodeOrData kind = ClassifyCodeOrData(tokens[0], table);
    if (kind != CodeOrData::None) {
        ProcessCodeOrData(kind, tokens, count, 0, table, locationCounter, listingFile);
        return;
    }
    if (count == 1 || !IsEQU(tokens[1])) {
        LogLine({"Parse Error: Unable to parse this line"});
        return;
    }
    ProcessEqu(tokens, count);
}
