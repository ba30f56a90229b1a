#include "Console.h"

#include <cstdio>

void PrintLine(std::initializer_list<std::string_view> pieces)
{
    for (std::string_view piece : pieces) {
        std::fwrite(piece.data(), 1, piece.size(), stdout);
    }
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void ReportUnableToOpen(std::string_view fileName)
{
    PrintLine({"FATAL ERROR: Unable to open ", fileName});
}

void ReportUnableToWrite(std::string_view fileName)
{
    PrintLine({"FATAL ERROR: Unable to write ", fileName});
}
