// The submissions to check: one source file, or the entries of a folder.
// Only reads; nothing here writes, follows a link into a directory tree, or
// waits on a pipe or device.
#pragma once

#include <string>
#include <vector>

struct Submission {
    std::string Name;    // as the table shows it: the file, or "folder/file.asm"
    std::string Text;    // the source, when it could be read
    std::string Problem; // why it is not checked ("" when it is)
};

// The most read of one submission: no 8085 program for a lab is that long.
constexpr std::size_t _MaxSubmissionBytes = std::size_t{1} << 20;

// A source file is a submission named by its file name. In a folder, each
// entry whose name ends in .asm (in any case) is one, and so is each
// directory, by the one .asm file it holds; names starting with '.' are
// passed over, and so are other files (ignored counts them). Sorted by name.
std::vector<Submission> ListSubmissions(const std::string& path, bool isFolder, int& ignored);

// Reads a regular file (following a link) of at most limit bytes into text;
// a pipe, a device, a directory or a longer file is refused, with the
// reason in problem, without waiting on it.
bool ReadSubmissionFile(const std::string& path, std::size_t limit, std::string& text, std::string& problem);
