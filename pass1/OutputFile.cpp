#include "OutputFile.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool WriteAll(int fd, const char* data, std::size_t length, WriteCall writeCall)
{
    while (length > 0) {
        const ssize_t written = writeCall(fd, data, length);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        length -= static_cast<std::size_t>(written);
    }
    return true;
}

// Sends the pending text to the file and empties it.
static void Flush(OutputStream& stream)
{
    if (stream.Fd >= 0 && !stream.Pending.empty() &&
        !WriteAll(stream.Fd, stream.Pending.data(), stream.Pending.size())) {
        stream.WriteFailed = true;
    }
    stream.Pending.clear();
}

// Opens path for writing, creating it when missing, without truncating it;
// -1 when it cannot be opened.
static int OpenForWriting(const char* path)
{
    int fd;
    do {
        fd = ::open(path, O_WRONLY | O_CREAT | O_CLOEXEC, _OutputFileMode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// The file is opened first and truncated only once it is known not to be
// one of keepIntact, so a link to such a file never loses a byte.
bool CreateOutputFile(OutputStream& stream, const char* path, std::initializer_list<FileIdentity> keepIntact)
{
    stream.Pending.clear();
    stream.WriteFailed = false;
    stream.Fd = OpenForWriting(path);
    if (stream.Fd < 0) {
        return false;
    }
    struct stat status {};
    bool usable = ::fstat(stream.Fd, &status) == 0;
    for (const FileIdentity& kept : keepIntact) {
        usable = usable && !IsSameFile(IdentityOf(status), kept);
    }
    if (usable && S_ISREG(status.st_mode)) {
        usable = ::ftruncate(stream.Fd, 0) == 0;
    }
    if (!usable) {
        ::close(stream.Fd);
        stream.Fd = -1;
    }
    return usable;
}

void WriteText(OutputStream& stream, std::string_view text)
{
    if (stream.Fd >= 0) {
        stream.Pending.append(text);
    }
}

void WriteLine(OutputStream& stream, std::string_view text)
{
    if (stream.Fd < 0) {
        return;
    }
    stream.Pending.append(text);
    stream.Pending.push_back('\n');
    Flush(stream);
}

bool CloseOutputFile(OutputStream& stream)
{
    if (stream.Fd < 0) {
        return true;
    }
    Flush(stream);
    if (::close(stream.Fd) != 0 && errno != EINTR) {
        stream.WriteFailed = true;
    }
    stream.Fd = -1;
    return !stream.WriteFailed;
}

DecimalText Decimal(long long value)
{
    DecimalText text{};
    const auto result = std::to_chars(text.Digits, text.Digits + sizeof text.Digits, value);
    text.Length = static_cast<std::size_t>(result.ptr - text.Digits);
    return text;
}
