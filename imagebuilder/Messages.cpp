#include "Messages.h"

#include <cstdio>
#include <cstring>

// Writes text and a line end to standard output and flushes them together.
static void PrintLine(const char* text)
{
    std::fwrite(text, 1, std::strlen(text), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Writes the usage line.
void PrintUsage()
{
    PrintLine("Usage: Tessily <RegDataFile> <AssembledFile> <OutFile>");
}

// Writes the message for a file that cannot be opened.
void ReportUnableToOpen(const char* fileName)
{
    std::fputs("Critical Error: Unable to open ", stdout);
    PrintLine(fileName);
}

// Writes the message for an image that could not be written whole.
void ReportUnableToWrite(const char* fileName)
{
    std::fputs("Critical Error: Unable to write ", stdout);
    PrintLine(fileName);
}
