#include "Files.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

// Permission bits of every file written, before the file-creation mask.
constexpr mode_t _OutputFileMode = 0664;

// Opens path for reading, refusing a directory; -1 with error set on failure.
static int OpenForReading(const std::string& path, std::string& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return -1;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) {
        error = S_ISDIR(status.st_mode) ? "it is a directory" : std::strerror(errno);
        ::close(fd);
        return -1;
    }
    return fd;
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::string& error)
{
    const int fd = OpenForReading(path, error);
    if (fd < 0) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) {
            break;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = std::strerror(errno);
            ::close(fd);
            return std::nullopt;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return bytes;
}

bool IsReadableFile(const std::string& path, std::string& error)
{
    const int fd = OpenForReading(path, error);
    if (fd >= 0) {
        ::close(fd);
    }
    return fd >= 0;
}

// Writes all bytes to fd; false when a write fails or writes nothing.
static bool WriteAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            if (put == 0) {
                errno = EIO;
            }
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& error)
{
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    int failure = 0;
    if (::fchmod(fd, _OutputFileMode & ~mask) != 0 || !WriteAll(fd, bytes)) {
        failure = errno;
    }
    if (::close(fd) != 0 && failure == 0) {
        failure = errno;
    }
    if (failure == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) {
        failure = errno;
    }
    if (failure != 0) {
        error = std::strerror(failure);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool CopyWholeFile(const std::string& from, const std::string& to, std::string& error)
{
    const std::optional<std::string> bytes = ReadWholeFile(from, error);
    if (!bytes) {
        error = from + ": " + error;
        return false;
    }
    if (!WriteWholeFile(to, *bytes, error)) {
        error = to + ": " + error;
        return false;
    }
    return true;
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

std::string MakeTemporaryDirectory(std::string& error)
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp")
                          + "/go8085-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        error = pattern + ": " + std::strerror(errno);
        return {};
    }
    return pattern;
}

void RemoveDirectoryTree(const std::string& directory)
{
    if (!directory.empty()) {
        std::error_code ignored;
        fs::remove_all(directory, ignored);
    }
}

void RemoveFileIfPresent(const std::string& path)
{
    ::unlink(path.c_str());
}
