// Reading a file whole, and writing one whole or not at all: into a
// temporary file in the same directory (mode 0664 less the umask), renamed
// into place when complete. An output that names a terminal, a pipe or a
// device (/dev/stderr, a FIFO) is written in place instead. Failures come
// back in the system's words ("No such file or directory").
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

// Reads up to limit bytes of a file. longer tells whether more followed.
// False, with the reason in error, when the file cannot be read.
bool ReadFileUpTo(const std::string& path, std::size_t limit, std::string& bytes, bool& longer, std::string& error);

// Reads all of a file. False, with the reason in error, when it cannot.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error);

// An output file being written under a temporary name.
struct OutputFile {
    std::FILE* Stream = nullptr;
    std::string TemporaryPath; // empty when written in place
    std::string FinalPath;
};

// Creates the temporary file beside path, or opens path itself when it is a
// terminal, a pipe or a device.
bool CreateOutputFile(const std::string& path, OutputFile& file, std::string& error);

// Flushes and closes the temporary file and renames it to its final name;
// on failure removes it.
bool CommitOutputFile(OutputFile& file, std::string& error);

// Closes and removes the temporary file, if any.
void DiscardOutputFile(OutputFile& file);

// Writes bytes to path, whole or not at all.
bool WriteWholeFile(const std::string& path, std::string_view bytes, std::string& error);

// Removes the file at path if there is one. False, with the reason in error,
// when it is there and cannot be removed.
bool RemoveFile(const std::string& path, std::string& error);
