#include "OutputFile.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <unistd.h>

// Writes all of data to fd, resuming after signals and short writes.
static bool WriteAll(int fd, const char* data, std::size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
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
    if (stream.Fd >= 0 && !stream.Pending.empty()
        && !WriteAll(stream.Fd, stream.Pending.data(), stream.Pending.size())) {
        stream.WriteFailed = true;
    }
    stream.Pending.clear();
}

bool CreateOutputFile(OutputStream& stream, const char* path)
{
    stream.Pending.clear();
    stream.WriteFailed = false;
    do {
        stream.Fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, _OutputFileMode);
    } while (stream.Fd < 0 && errno == EINTR);
    return stream.Fd >= 0;
}

bool IsOpen(const OutputStream& stream)
{
    return stream.Fd >= 0;
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
