#include "LogCapture.h"

#include "RunLog.h"

LogCapture::LogCapture()
{
    CreateOutputFile(LogStream, (Directory.Path / "log.txt").c_str());
}

LogCapture::~LogCapture()
{
    CloseOutputFile(LogStream);
}

std::string LogCapture::Text() const
{
    return ReadFileBytes(Directory.Path / "log.txt") + LogStream.Pending;
}
