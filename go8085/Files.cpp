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

bool IsReadableFile(const std::string& path, std::string& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    struct stat status {};
    bool readable = true;
    if (::fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) {
        error = S_ISDIR(status.st_mode) ? "it is a directory" : std::strerror(errno);
        readable = false;
    }
    ::close(fd);
    return readable;
}

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
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/go8085-XXXXXX";
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
