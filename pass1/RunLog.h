// The run log "etc/log-Pass1.txt": the step-by-step trace of a pass-1 run.
// Every line is flushed with its line end. While the log is not open, lines
// meant for it are dropped.
#pragma once

#include "FileIdentity.h"
#include "OutputFile.h"

#include <initializer_list>
#include <string_view>

// The one run log of the process; main opens and closes it.
extern OutputStream LogStream;

// Path of the run log, relative to the working directory.
inline constexpr const char* _RunLogPath = "etc/log-Pass1.txt";

// Writes the pieces as one line of the run log and flushes it.
void LogLine(std::initializer_list<std::string_view> pieces);

// Writes text to the run log without a line end; the next line continues it.
void LogText(std::string_view text);

// The file the run log is open on; unknown while it is not open.
FileIdentity IdentifyRunLog();
