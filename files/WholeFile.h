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

// The most bytes ReadWholeFile takes from one file unless told otherwise:
// 64 MiB. A listing that places all 64 KiB of memory a byte a line is under
// 2 MiB, and a million records about 40 MiB. Past the limit a file is
// refused, so that an endless one (/dev/zero, a pipe never closed) is an
// error rather than a read that goes on until memory runs out.
constexpr std::size_t _MaxWholeFileBytes = std::size_t{64} << 20;

// Reads all of a file of at most maxBytes bytes. False, with the reason in
// error, when it cannot be read or holds more ("larger than 64 MiB, the
// most read from one file").
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error,
                   std::size_t maxBytes = _MaxWholeFileBytes);

// An output file being written under a temporary name.
struct OutputFile {
    std::FILE* Stream = nullptr;
    std::string TemporaryPath; // empty when written in place
    std::string FinalPath;
};

// Creates the temporary file beside path, or opens path itself when it is a
// terminal, a pipe or a device. The temporary name is as long as the final
// one allows (the final name is cut short in it when need be), so it fits
// wherever the final name fits. Until it is committed or discarded, a
// termination signal removes it (see TemporaryFiles.h).
bool CreateOutputFile(const std::string& path, OutputFile& file, std::string& error);

// Flushes and closes the temporary file and renames it to its final name;
// on failure removes it.
bool CommitOutputFile(OutputFile& file, std::string& error);

// Closes and removes the temporary file, if any.
void DiscardOutputFile(OutputFile& file);

// Writes bytes to path, whole or not at all.
bool WriteWholeFile(const std::string& path, std::string_view bytes, std::string& error);

// Removes the regular file at path (or the link to one) if there is one.
// Anything else of that name, a pipe, a device or a directory, is left as it
// is: it was never an output of a run. False, with the reason in error, when
// a regular file is there and cannot be removed.
bool RemoveFile(const std::string& path, std::string& error);
