// The files Go8085 checks, copies and makes beyond what WholeFile.h does.
// Every file it writes is written whole or not at all (see WholeFile.h).
#pragma once

#include <string>

// Tells whether path names a file that can be opened for reading; error
// receives the reason when it cannot (a directory cannot).
bool IsReadableFile(const std::string& path, std::string& error);

// Copies the file from to the file to, written whole or not at all.
bool CopyWholeFile(const std::string& from, const std::string& to, std::string& error);

// Tells whether new files can be created in the directory.
bool CanCreateFilesIn(const std::string& directory);

// A new private directory below $TMPDIR (or /tmp); empty, with the reason in
// error, when none can be made.
std::string MakeTemporaryDirectory(std::string& error);

// Removes a directory and everything in it; nothing happens for an empty path.
void RemoveDirectoryTree(const std::string& directory);
