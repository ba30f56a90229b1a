#include "Pass1.h"

#include "Console.h"
#include "FileIdentity.h"
#include "InputFile.h"
#include "Lexer.h"
#include "OutputFile.h"
#include "RunLog.h"
#include "Statement.h"

#include <memory>

// Characters stored of one line: one read is bounded to 511 characters,
// terminator included, one less than the line buffer.
constexpr std::size_t _LineReadLimit = _MaxLineLength - 1;

// Traces one line and processes it: comment lines are skipped, any other
// line is tokenized and, if it has tokens, processed as a statement.
static void ProcessLine(const char* line, bool cut, char tokens[][_MaxTokenLength], const OpcodeTableStructure* table,
                        std::int16_t& locationCounter, OutputStream& listingFile)
{
    LogLine({"-----------"});
    LogLine({"Read one line from InFile : ", line});
    if (cut) {
        LogLine({"Line longer than 510 characters: the rest of it was cut off"});
    }
    if (IsComment(line)) {
        LogLine({"Is a Comment. Continuing..."});
        return;
    }
    const int count = Tokenize(line, tokens);
    LogLine({"Tokenized to ", Decimal(count), " Tokens"});
    if (count > 0) {
        ProcessStatement(tokens, count, table, locationCounter, listingFile);
    }
}

void Corvane(const char* sourceName, const char* listingName, const OpcodeTableStructure* table)
{
    std::int16_t LocationCounter = _DefaultLocation;
    char TokenArray[_MaxTokens][_MaxTokenLength];
    char line[_MaxLineLength];

    // The run log is never read as the source, and the listing never
    // replaces the source or the run log: each of them, however linked, is a
    // file that cannot be opened.
    auto InFile = std::make_unique<InputFile>();
    const FileIdentity runLog = IdentifyRunLog();
    if (!OpenInputFile(*InFile, sourceName)) {
        ReportUnableToOpen(sourceName);
        return;
    }
    const FileIdentity source = IdentifyOpenFile(InFile->Fd);
    if (IsSameFile(source, runLog)) {
        ReportUnableToOpen(sourceName);
        CloseInputFile(*InFile);
        return;
    }
    OutputStream ListingFile;
    if (!CreateOutputFile(ListingFile, listingName, {source, runLog})) {
        ReportUnableToOpen(listingName);
        CloseInputFile(*InFile);
        return;
    }
    LogLine({"I/O File Ready"});
    while (!InFile->MetEnd) {
        bool cut = false;
        ReadLine(*InFile, line, _LineReadLimit, cut);
        ProcessLine(line, cut, TokenArray, table, LocationCounter, ListingFile);
    }
    LogLine({"End of Input File reached."});
    if (!CloseOutputFile(ListingFile)) {
        ReportUnableToWrite(listingName);
    }
    CloseInputFile(*InFile);
}
