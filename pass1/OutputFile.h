// Text output files of pass 1: the run log, the listing and the symbol file.
// Text collects in memory and reaches the file with one write call each time
// a line end is written, so the file always holds every completed line.
#pragma once

#include "FileIdentity.h"

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unistd.h>

struct OutputStream {
    int Fd = -1;         // -1 when the file is not open
    std::string Pending; // text of the line not yet ended
    bool WriteFailed = false;
};

// Permission bits of every file pass 1 creates, before the file-creation mask.
constexpr int _OutputFileMode = 0664;

// Creates or truncates the file at path with mode 0664 less the umask.
// Returns false, leaving the stream closed, when the file cannot be opened,
// or when it is one of the files of keepIntact (the same device and inode,
// through any link), which is left as it was.
bool CreateOutputFile(OutputStream& stream, const char* path, std::initializer_list<FileIdentity> keepIntact = {});

// Adds text to the current line without ending it.
void WriteText(OutputStream& stream, std::string_view text);

// Adds text and a line end, then hands the whole line to the file.
void WriteLine(OutputStream& stream, std::string_view text = {});

// Hands any unended text to the file and closes it. Returns false when any
// write or the close failed; a stream that was never open closes cleanly.
bool CloseOutputFile(OutputStream& stream);

// The system call that WriteAll makes; tests hand in a stand-in.
using WriteCall = ssize_t (*)(int fd, const void* data, std::size_t length);

// Writes all of data to fd, resuming after signals and short writes. Returns
// false when a write fails or takes no byte, as a retry would take none either.
bool WriteAll(int fd, const char* data, std::size_t length, WriteCall writeCall = ::write);

// Decimal text of an integer, kept in a small buffer of its own.
struct DecimalText {
    char Digits[24];
    std::size_t Length;
    operator std::string_view() const
    {
        return {Digits, Length};
    }
};

// Formats value in decimal, with a minus sign when negative.
DecimalText Decimal(long long value);
