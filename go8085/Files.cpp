#include "Files.h"

#include "WholeFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

bool CopyWholeFile(const std::string& from, const std::string& to, std::string& error)
{
    std::string bytes;
    if (!ReadWholeFile(from, bytes, error)) {
        error = from + ": " + error;
        return false;
    }
    if (!WriteWholeFile(to, bytes, error)) {
        error = to + ": " + error;
        return false;
    }
    return true;
}

PipeCopy CopyIntoPipe(const std::string& from, const std::string& to, std::string& error)
{
    struct stat status {};
    if (::stat(to.c_str(), &status) != 0 || !S_ISFIFO(status.st_mode)) {
        return PipeCopy::NotAPipe;
    }
    std::string bytes;
    if (!ReadWholeFile(from, bytes, error)) {
        error = from + ": " + error;
        return PipeCopy::Failed;
    }
    const int fd = ::open(to.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENXIO) {
            return PipeCopy::NoReader;
        }
        error = to + ": " + std::strerror(errno);
        return PipeCopy::Failed;
    }
    // A reader is there: from now on wait for it as any writer would.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        error = to + ": " + std::strerror(errno);
        ::close(fd);
        return PipeCopy::Failed;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            error = to + ": " + std::strerror(wrote < 0 ? errno : EIO);
            ::close(fd);
            return PipeCopy::Failed;
        }
        done += static_cast<std::size_t>(wrote);
    }
    ::close(fd);
    return PipeCopy::Written;
}

bool CanCreateFilesIn(const std::string& directory)
{
    std::string probe = (fs::path(directory) / ".go8085-XXXXXX").string();
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

bool IsSameFile(const std::string& first, const std::string& second)
{
    struct stat one {};
    struct stat two {};
    return ::stat(first.c_str(), &one) == 0 && ::stat(second.c_str(), &two) == 0 && one.st_dev == two.st_dev &&
           one.st_ino == two.st_ino;
}

void RemoveRegularFile(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
        ::unlink(path.c_str());
    }
}

std::string MakeTemporaryDirectory(std::string& error)
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/go8085-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        error = pattern + ": " + std::strerror(errno);
        return {};
    }
    std::error_code ignored;
    const fs::path absolute = fs::absolute(pattern, ignored);
    return absolute.empty() ? pattern : absolute.string();
}

void RemoveDirectoryTree(const std::string& directory)
{
    if (!directory.empty()) {
        std::error_code ignored;
        fs::remove_all(directory, ignored);
    }
}
