#include "RunLog.h"

/* Global state of the run log */
OutputStream LogStream; // closed until main opens it

void LogLine(std::initializer_list<std::string_view> pieces)
{
    for (std::string_view piece : pieces) {
        WriteText(LogStream, piece);
    }
    WriteLine(LogStream);
}

void LogText(std::string_view text)
{
    WriteText(LogStream, text);
}

FileIdentity IdentifyRunLog()
{
    return IdentifyOpenFile(LogStream.Fd);
}
