// The files Go8085 reads, copies and writes. Every file it writes is written
// whole or not at all: into a temporary file in the same directory, then
// renamed into place, with mode 0664 less the umask.
#pragma once

#include <optional>
#include <string>

// The whole content of a file; nothing, with the reason in error, when it
// cannot be read (a directory cannot).
std::optional<std::string> ReadWholeFile(const std::string& path, std::string& error);

// Tells whether path names a file that can be opened for reading; error
// receives the reason when it cannot.
bool IsReadableFile(const std::string& path, std::string& error);

// Writes bytes to path whole or not at all. False, with the reason in error,
// when it cannot.
bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& error);

// Copies the file from to the file to, written whole or not at all.
bool CopyWholeFile(const std::string& from, const std::string& to, std::string& error);

// Tells whether new files can be created in the directory.
bool CanCreateFilesIn(const std::string& directory);

// A new private directory below $TMPDIR (or /tmp); empty, with the reason in
// error, when none can be made.
std::string MakeTemporaryDirectory(std::string& error);

// Removes a directory and everything in it; nothing happens for an empty path.
void RemoveDirectoryTree(const std::string& directory);

// Removes a file if it exists.
void RemoveFileIfPresent(const std::string& path);
