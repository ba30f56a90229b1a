// The files Go8085 checks, copies, makes and removes beyond what WholeFile.h
// does. Every file it writes is written whole or not at all (see WholeFile.h).
#pragma once

#include <string>

// Copies the file from to the file to, written whole or not at all.
bool CopyWholeFile(const std::string& from, const std::string& to, std::string& error);

// How CopyIntoPipe went.
enum class PipeCopy { NotAPipe, NoReader, Written, Failed };

// When to names a FIFO: opens it for writing without waiting (NoReader when
// no process has it open for reading) and writes the file from through
// that same descriptor, so that a reader already waiting sees one writer
// and the whole file, then end of file. NotAPipe, touching nothing, for
// anything else; Failed with the reason in error.
PipeCopy CopyIntoPipe(const std::string& from, const std::string& to, std::string& error);

// Tells whether new files can be created in the directory.
bool CanCreateFilesIn(const std::string& directory);

// Tells whether both paths name one file (the same device and inode), as a
// link and its target do; false when either is missing.
bool IsSameFile(const std::string& first, const std::string& second);

// Removes path when it names a regular file (or a link to one); a pipe, a
// device or a directory of that name is left alone.
void RemoveRegularFile(const std::string& path);

// A new private directory below $TMPDIR (or /tmp), as an absolute path;
// empty, with the reason in error, when none can be made.
std::string MakeTemporaryDirectory(std::string& error);

// Removes a directory and everything in it; nothing happens for an empty path.
void RemoveDirectoryTree(const std::string& directory);
