// The only place where the second pass touches files.
#pragma once

#include <string>

// Reads a whole file into text. Returns "" or why it cannot be read
// (the system's words: "No such file or directory").
std::string ReadWholeFile(const std::string& path, std::string& text);

// Replaces the file at path with text in one step: the text goes to a new
// file in the same directory, created with mode 0664 less the umask, which
// is then renamed to path. On failure nothing is left behind and path is
// untouched. Returns "" or why it failed.
std::string WriteFileWhole(const std::string& path, const std::string& text);

// Removes the file at path if there is one. Returns "" (also when there was
// none) or why it could not be removed.
std::string RemoveFile(const std::string& path);
