// The only place where Run8085 opens files: reading an input up to a size,
// and writing an output whole or not at all (a temporary file in the same
// directory, renamed into place when complete). An output that names a
// terminal, a pipe or a device (/dev/stderr, a FIFO) is written in place.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// Reads up to limit bytes of a file. longer tells whether more followed.
// Returns false with error (e.g. "No such file or directory") when the file
// cannot be read.
bool ReadFileUpTo(const std::string& path, std::size_t limit, std::string& bytes, bool& longer,
                  std::string& error);

// An output file being written under a temporary name.
struct OutputFile {
    std::FILE* Stream = nullptr;
    std::string TemporaryPath; // empty when written in place
    std::string FinalPath;
};

// Creates the temporary file (mode 0664 less the umask) beside path, or
// opens path itself when it is a terminal, a pipe or a device.
bool CreateOutputFile(const std::string& path, OutputFile& file, std::string& error);

// Flushes and closes the temporary file and renames it to its final name;
// on failure removes it.
bool CommitOutputFile(OutputFile& file, std::string& error);

// Closes and removes the temporary file, if any.
void DiscardOutputFile(OutputFile& file);

// Writes bytes to path, whole or not at all.
bool WriteWholeFile(const std::string& path, const void* bytes, std::size_t size, std::string& error);
