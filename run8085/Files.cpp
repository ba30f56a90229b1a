#include "Files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t _OutputFileMode = 0664;
constexpr int _TemporaryNameAttempts = 100;

std::string ErrorText(int number)
{
    return std::strerror(number);
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

bool ReadFileUpTo(const std::string& path, std::size_t limit, std::string& bytes, bool& longer,
                  std::string& error)
{
    bytes.clear();
    longer = false;
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) {
        error = ErrorText(errno);
        return false;
    }
    bytes.resize(limit + 1);
    const std::size_t got = std::fread(bytes.data(), 1, limit + 1, in);
    const bool failed = std::ferror(in) != 0;
    const int readError = errno;
    std::fclose(in);
    if (failed) {
        error = ErrorText(readError);
        bytes.clear();
        return false;
    }
    longer = got > limit;
    bytes.resize(longer ? limit : got);
    return true;
}

bool CreateOutputFile(const std::string& path, OutputFile& file, std::string& error)
{
    if (IsStreamFile(path))
        return OpenStreamFile(path, file, error);
    const std::size_t slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    for (int attempt = 0; attempt < _TemporaryNameAttempts; ++attempt) {
        const std::string temporary = directory + "." + base + "." + std::to_string(::getpid()) + "." +
                                      std::to_string(attempt) + ".tmp";
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, _OutputFileMode);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            error = ErrorText(errno);
            return false;
        }
        file.Stream = ::fdopen(fd, "wb");
        if (!file.Stream) {
            error = ErrorText(errno);
            ::close(fd);
            ::unlink(temporary.c_str());
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
        if (!file.TemporaryPath.empty())
            ::unlink(file.TemporaryPath.c_str());
        return false;
    }
    if (file.TemporaryPath.empty())
        return true;
    if (::rename(file.TemporaryPath.c_str(), file.FinalPath.c_str()) != 0) {
        error = ErrorText(errno);
        ::unlink(file.TemporaryPath.c_str());
        return false;
    }
    return true;
}

void DiscardOutputFile(OutputFile& file)
{
    if (!file.Stream)
        return;
    std::fclose(file.Stream);
    file.Stream = nullptr;
    if (!file.TemporaryPath.empty())
        ::unlink(file.TemporaryPath.c_str());
}

bool WriteWholeFile(const std::string& path, const void* bytes, std::size_t size, std::string& error)
{
    OutputFile file;
    if (!CreateOutputFile(path, file, error))
        return false;
    if (std::fwrite(bytes, 1, size, file.Stream) != size) {
        error = ErrorText(errno);
        DiscardOutputFile(file);
        return false;
    }
    return CommitOutputFile(file, error);
}
