#include "Files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Permission bits of the machine-code file, before the file-creation mask.
constexpr mode_t _OutputFileMode = 0664;

// Bytes asked of the system per read call.
constexpr std::size_t _ReadChunk = 1 << 20;

// Tries at finding a temporary name that no file has.
constexpr int _TemporaryNameTries = 100;

std::string ReadWholeFile(const std::string& path, std::string& text)
{
    text.clear();
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return std::strerror(errno);
    }
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        text.reserve(static_cast<std::size_t>(status.st_size) + _ReadChunk);
    }
    std::size_t length = 0;
    for (;;) {
        text.resize(length + _ReadChunk);
        const ssize_t got = ::read(fd, text.data() + length, _ReadChunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            text.clear();
            return std::strerror(error);
        }
        if (got == 0) {
            break;
        }
        length += static_cast<std::size_t>(got);
    }
    text.resize(length);
    ::close(fd);
    return {};
}

// Writes all of text to fd, resuming after signals and short writes.
static bool WriteAll(int fd, const std::string& text)
{
    const char* data = text.data();
    std::size_t length = text.size();
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            if (written == 0) {
                errno = EIO;
            }
            return false;
        }
        data += written;
        length -= static_cast<std::size_t>(written);
    }
    return true;
}

std::string WriteFileWhole(const std::string& path, const std::string& text)
{
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < _TemporaryNameTries && fd < 0; ++attempt) {
        temporary = path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, _OutputFileMode);
        if (fd < 0 && errno != EEXIST && errno != EINTR) {
            break;
        }
    }
    if (fd < 0) {
        return std::strerror(errno);
    }
    const bool written = WriteAll(fd, text);
    int error = errno;
    const bool closed = ::close(fd) == 0 || errno == EINTR;
    if (written && !closed) {
        error = errno;
    }
    if (written && closed && ::rename(temporary.c_str(), path.c_str()) == 0) {
        return {};
    }
    if (written && closed) {
        error = errno;
    }
    ::unlink(temporary.c_str());
    return std::strerror(error);
}

std::string RemoveFile(const std::string& path)
{
    if (::unlink(path.c_str()) == 0 || errno == ENOENT) {
        return {};
    }
    return std::strerror(errno);
}
