#include "Messages.h"

#include <cerrno>
#include <unistd.h>

// Pending text above this size is handed to the file descriptor at once.
constexpr std::size_t _FlushThreshold = 64 * 1024;

static void Report(Messages& messages, std::string_view file, long line, std::string_view kind, std::string_view text)
{
    std::string& out = messages.Pending;
    out.append(file);
    if (line > 0) {
        out += ':';
        out += std::to_string(line);
    }
    out += ": ";
    out.append(kind);
    out += ": ";
    out.append(text);
    out += '\n';
    if (messages.Fd >= 0 && out.size() >= _FlushThreshold) {
        FlushMessages(messages);
    }
}

void ReportError(Messages& messages, std::string_view file, long line, std::string_view text)
{
    ++messages.Errors;
    Report(messages, file, line, "error", text);
}

void ReportWarning(Messages& messages, std::string_view file, long line, std::string_view text)
{
    ++messages.Warnings;
    Report(messages, file, line, "warning", text);
}

void ReportNote(Messages& messages, std::string_view file, long line, std::string_view text)
{
    Report(messages, file, line, "note", text);
}

void FlushMessages(Messages& messages)
{
    if (messages.Fd < 0) {
        return;
    }
    const char* data = messages.Pending.data();
    std::size_t length = messages.Pending.size();
    while (length > 0) {
        const ssize_t written = ::write(messages.Fd, data, length);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            break; // standard error is gone: nothing is left to tell
        }
        data += written;
        length -= static_cast<std::size_t>(written);
    }
    messages.Pending.clear();
}

std::string ShowField(std::string_view field, std::size_t limit)
{
    static const char _Hex[] = "0123456789ABCDEF";
    std::string shown;
    const std::size_t count = field.size() < limit ? field.size() : limit;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char c = static_cast<unsigned char>(field[i]);
        if (c == '\r') {
            shown += "\\r";
        } else if (c == '\t') {
            shown += "\\t";
        } else if (c < 0x20 || c >= 0x7F) {
            shown += "\\x";
            shown += _Hex[c >> 4];
            shown += _Hex[c & 0xF];
        } else {
            shown += static_cast<char>(c);
        }
    }
    if (count < field.size()) {
        shown += "...";
    }
    return shown;
}
