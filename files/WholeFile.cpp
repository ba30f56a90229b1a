#include "WholeFile.h"

#include "TemporaryFiles.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Permission bits of every file written, before the file-creation mask.
constexpr mode_t _OutputFileMode = 0664;

// Tries at finding a temporary name that no file has.
constexpr int _TemporaryNameAttempts = 100;

// Bytes asked of the system per read call.
constexpr std::size_t _ReadChunk = 1 << 20;

std::string ErrorText(int number)
{
    return std::strerror(number);
}

// A size as people read it: "64 MiB", "3 KiB", "2000 bytes".
std::string SizeText(std::size_t bytes)
{
    if (bytes != 0 && bytes % (std::size_t{1} << 20) == 0)
        return std::to_string(bytes >> 20) + " MiB";
    if (bytes != 0 && bytes % 1024 == 0)
        return std::to_string(bytes >> 10) + " KiB";
    return std::to_string(bytes) + " bytes";
}

// The longest name a file in directory may have (255 on most file systems).
std::size_t NameLimit(const std::string& directory)
{
    const long limit = ::pathconf(directory.empty() ? "." : directory.c_str(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<std::size_t>(limit) : NAME_MAX;
}

// The temporary name for base in directory: ".base.PID.N.tmp", hidden, and
// unique to this process and attempt. When that would be longer than a
// name may be, base is cut short in it (a temporary name needs only to be
// unique), so the temporary name fits wherever base itself fits.
std::string TemporaryName(const std::string& directory, const std::string& base, std::size_t nameLimit, int attempt)
{
    const std::string suffix = "." + std::to_string(::getpid()) + "." + std::to_string(attempt) + ".tmp";
    const std::size_t room = nameLimit > suffix.size() + 1 ? nameLimit - suffix.size() - 1 : 0;
    return directory + "." + base.substr(0, room) + suffix;
}

// Whether path names a terminal, a pipe or a device (/dev/stderr, a FIFO,
// /dev/null) rather than a regular file: such a file is written in place.
// A temporary renamed over it would put a regular file where the device
// was, or fail for want of write permission on its directory (/dev).
bool IsStreamFile(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode);
}

// Opens a stream file in place: no temporary, nothing to rename.
bool OpenStreamFile(const std::string& path, OutputFile& file, std::string& error)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = ErrorText(errno);
        return false;
    }
    file.Stream = ::fdopen(fd, "wb");
    if (!file.Stream) {
        error = ErrorText(errno);
        ::close(fd);
        return false;
    }
    file.TemporaryPath.clear();
    file.FinalPath = path;
    return true;
}

} // namespace

bool ReadFileUpTo(const std::string& path, std::size_t limit, std::string& bytes, bool& longer, std::string& error)
{
    bytes.clear();
    longer = false;
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = ErrorText(errno);
        return false;
    }
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        const std::size_t expected = std::min(static_cast<std::size_t>(status.st_size), limit);
        bytes.reserve(expected + std::max<std::size_t>(1, std::min(_ReadChunk, limit - expected)));
    }
    std::size_t length = 0;
    int failure = 0;
    while (length <= limit) {
        // Once limit bytes are in, one more tells whether the file is longer.
        const std::size_t wanted = length < limit ? std::min(_ReadChunk, limit - length) : 1;
        bytes.resize(length + wanted);
        const ssize_t got = ::read(fd, bytes.data() + length, wanted);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            failure = got < 0 ? errno : 0;
            break;
        }
        length += static_cast<std::size_t>(got);
    }
    ::close(fd);
    if (failure != 0) {
        error = ErrorText(failure);
        bytes.clear();
        return false;
    }
    longer = length > limit;
    bytes.resize(longer ? limit : length);
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error, std::size_t maxBytes)
{
    bool longer = false;
    if (!ReadFileUpTo(path, maxBytes, bytes, longer, error))
        return false;
    if (longer) {
        error = "larger than " + SizeText(maxBytes) + ", the most read from one file";
        bytes.clear();
        bytes.shrink_to_fit();
        return false;
    }
    return true;
}

bool CreateOutputFile(const std::string& path, OutputFile& file, std::string& error)
{
    if (IsStreamFile(path))
        return OpenStreamFile(path, file, error);
    const std::size_t slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t nameLimit = NameLimit(directory);
    for (int attempt = 0; attempt < _TemporaryNameAttempts; ++attempt) {
        const std::string temporary = TemporaryName(directory, base, nameLimit, attempt);
        // Noted before it exists, so that no signal falls between.
        NoteTemporaryFile(temporary);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, _OutputFileMode);
        const int openError = errno;
        if (fd < 0)
            ForgetTemporaryFile(temporary);
        if (fd < 0 && (openError == EEXIST || openError == EINTR))
            continue;
        if (fd < 0) {
            error = ErrorText(openError);
            return false;
        }
        file.Stream = ::fdopen(fd, "wb");
        if (!file.Stream) {
            error = ErrorText(errno);
            ::close(fd);
            ::unlink(temporary.c_str());
            ForgetTemporaryFile(temporary);
            return false;
        }
        file.TemporaryPath = temporary;
        file.FinalPath = path;
        return true;
    }
    error = "no free temporary name beside it";
    return false;
}

bool CommitOutputFile(OutputFile& file, std::string& error)
{
    if (!file.Stream) {
        error = "not open";
        return false;
    }
    const bool written = std::fflush(file.Stream) == 0 && std::ferror(file.Stream) == 0;
    const int writeError = errno;
    const bool closed = std::fclose(file.Stream) == 0;
    const int closeError = errno;
    file.Stream = nullptr;
    if (!written || !closed) {
        error = ErrorText(!written ? writeError : closeError);
        if (!file.TemporaryPath.empty()) {
            ::unlink(file.TemporaryPath.c_str());
            ForgetTemporaryFile(file.TemporaryPath);
        }
        return false;
    }
    if (file.TemporaryPath.empty())
        return true;
    const bool renamed = ::rename(file.TemporaryPath.c_str(), file.FinalPath.c_str()) == 0;
    if (!renamed) {
        error = ErrorText(errno);
        ::unlink(file.TemporaryPath.c_str());
    }
    ForgetTemporaryFile(file.TemporaryPath);
    return renamed;
}

void DiscardOutputFile(OutputFile& file)
{
    if (!file.Stream)
        return;
    std::fclose(file.Stream);
    file.Stream = nullptr;
    if (!file.TemporaryPath.empty()) {
        ::unlink(file.TemporaryPath.c_str());
        ForgetTemporaryFile(file.TemporaryPath);
    }
}

bool WriteWholeFile(const std::string& path, std::string_view bytes, std::string& error)
{
    OutputFile file;
    if (!CreateOutputFile(path, file, error))
        return false;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file.Stream) != bytes.size()) {
        error = ErrorText(errno);
        DiscardOutputFile(file);
        return false;
    }
    return CommitOutputFile(file, error);
}

bool RemoveFile(const std::string& path, std::string& error)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return true;
    if (::unlink(path.c_str()) == 0 || errno == ENOENT)
        return true;
    error = ErrorText(errno);
    return false;
}
