#include "Submissions.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool EndsInAsm(const std::string& name)
{
    if (name.size() < 5)
        return false;
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
    return tail == ".asm";
}

// The names in a directory, sorted, without "." and "..".
std::vector<std::string> ListDirectory(const std::string& path, std::string& problem)
{
    std::vector<std::string> names;
    DIR* directory = ::opendir(path.c_str());
    if (directory == nullptr) {
        problem = std::strerror(errno);
        return names;
    }
    while (const dirent* entry = ::readdir(directory)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(directory);
    std::sort(names.begin(), names.end());
    return names;
}

// A submission that is a directory: the one .asm file in it.
Submission ReadDirectorySubmission(const std::string& path, const std::string& name)
{
    Submission submission;
    submission.Name = name + "/";
    std::string problem;
    std::vector<std::string> sources;
    for (const std::string& entry : ListDirectory(path, problem)) {
        struct stat status {};
        if (entry[0] != '.' && EndsInAsm(entry) && ::stat((path + "/" + entry).c_str(), &status) == 0 &&
            !S_ISDIR(status.st_mode))
            sources.push_back(entry);
    }
    if (!problem.empty()) {
        submission.Problem = "cannot read the folder: " + problem;
    } else if (sources.empty()) {
        submission.Problem = "the folder holds no .asm file";
    } else if (sources.size() > 1) {
        submission.Problem = "the folder holds " + std::to_string(sources.size()) + " .asm files (" + sources[0] +
                             ", " + sources[1] + (sources.size() > 2 ? ", ..." : "") + "): which one is it?";
    } else {
        submission.Name += sources[0];
        ReadSubmissionFile(path + "/" + sources[0], _MaxSubmissionBytes, submission.Text, submission.Problem);
    }
    return submission;
}

} // namespace

bool ReadSubmissionFile(const std::string& path, std::size_t limit, std::string& text, std::string& problem)
{
    // Not blocking: a pipe that no one writes must not hold the check up.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        problem = errno == ENOENT ? "a link to nothing" : std::string("cannot read it: ") + std::strerror(errno);
        return false;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        problem = S_ISDIR(status.st_mode) ? "a folder" : "not a regular file (a pipe, a device or a socket)";
        return false;
    }
    text.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            problem = std::string("cannot read it: ") + std::strerror(errno);
            ::close(fd);
            return false;
        }
        if (got == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(got));
        if (text.size() > limit) {
            ::close(fd);
            text.clear();
            problem = "longer than " + std::to_string(limit >> 10) + " KiB: no lab program is that long";
            return false;
        }
    }
    ::close(fd);
    return true;
}

std::vector<Submission> ListSubmissions(const std::string& path, bool isFolder, int& ignored)
{
    std::vector<Submission> submissions;
    ignored = 0;
    if (!isFolder) {
        Submission submission;
        submission.Name = path;
        ReadSubmissionFile(path, _MaxSubmissionBytes, submission.Text, submission.Problem);
        submissions.push_back(submission);
        return submissions;
    }
    std::string problem;
    for (const std::string& name : ListDirectory(path, problem)) {
        if (name[0] == '.')
            continue;
        const std::string full = path + "/" + name;
        struct stat link {};
        struct stat target {};
        if (::lstat(full.c_str(), &link) != 0)
            continue;
        const bool reaches = ::stat(full.c_str(), &target) == 0;
        if (reaches && S_ISDIR(target.st_mode)) {
            if (S_ISLNK(link.st_mode)) {
                // A link to a folder is not followed: it may lead anywhere, even back here.
                submissions.push_back({name + "/", {}, "a link to a folder: not followed"});
                continue;
            }
            submissions.push_back(ReadDirectorySubmission(full, name));
            continue;
        }
        if (!EndsInAsm(name)) {
            ++ignored;
            continue;
        }
        Submission submission;
        submission.Name = name;
        if (!reaches)
            submission.Problem = "a link to nothing";
        else
            ReadSubmissionFile(full, _MaxSubmissionBytes, submission.Text, submission.Problem);
        submissions.push_back(submission);
    }
    return submissions;
}
