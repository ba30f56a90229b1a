// Errors and warnings of the second pass, one line each:
//   <file>:<line>: error: <what>      (or "<file>: error: <what>" for a whole file)
// They collect in memory and go to standard error in large pieces, so that a
// listing with a warning on every record does not cost a write per line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct Messages {
    std::string Pending; // lines not yet handed to the file descriptor
    int Fd = -1;         // where lines go; -1 keeps them in Pending (tests)
    long Errors = 0;
    long Warnings = 0;
};

// Adds "file:line: error: text" (no line number when line is 0).
void ReportError(Messages& messages, std::string_view file, long line, std::string_view text);

// Adds "file:line: warning: text" (no line number when line is 0).
void ReportWarning(Messages& messages, std::string_view file, long line, std::string_view text);

// Adds "file:line: note: text", which explains the message before it and
// counts as neither error nor warning.
void ReportNote(Messages& messages, std::string_view file, long line, std::string_view text);

// Hands every pending line to the file descriptor.
void FlushMessages(Messages& messages);

// Characters of a field that a message shows before cutting it.
constexpr std::size_t _ShownFieldLength = 60;

// A field as a message shows it: control characters and bytes from 0x80 up
// as \r, \t or \xNN, and cut to its first limit characters followed by "...".
std::string ShowField(std::string_view field, std::size_t limit = _ShownFieldLength);
