// Temporary files that a termination signal must not leave behind. Each
// output written under a temporary name is noted here while it exists; once
// RemoveTemporaryFilesOnSignals has run, SIGINT, SIGTERM, SIGHUP, SIGPIPE or
// SIGXFSZ removes every noted file and then ends the program by that same
// signal, so its parent sees the usual status (130 for SIGINT in a shell).
// All the signal handling of the shared file code is in TemporaryFiles.cpp.
#pragma once

#include <string>

// Notes path as a temporary file to remove on a signal. Up to
// _NotedTemporaryFiles names at once; past that a name is not noted.
void NoteTemporaryFile(const std::string& path);

// Forgets path once it has been renamed into place or removed.
void ForgetTemporaryFile(const std::string& path);

// Catches the termination signals, except those the program was started
// with ignored (as a shell starts background jobs), which stay ignored.
void RemoveTemporaryFilesOnSignals();
