#include "TextFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Opens a file for reading; a directory counts as a file that cannot be opened.
bool OpenTextFile(TextFile& file, const char* path)
{
    file.Position = 0;
    file.Length = 0;
    file.MetEnd = false;
    do {
        file.Fd = ::open(path, O_RDONLY | O_CLOEXEC);
    } while (file.Fd < 0 && errno == EINTR);
    if (file.Fd < 0) {
        return false;
    }
    struct stat status {};
    if (::fstat(file.Fd, &status) != 0 || S_ISDIR(status.st_mode)) {
        CloseTextFile(file);
        return false;
    }
    return true;
}

// Refills the buffer; false once the end of the file or a read error is met.
static bool RefillBuffer(TextFile& file)
{
    if (file.MetEnd || file.Fd < 0) {
        file.MetEnd = true;
        return false;
    }
    ssize_t got;
    do {
        got = ::read(file.Fd, file.Buffer, sizeof file.Buffer);
    } while (got < 0 && errno == EINTR);
    file.Position = 0;
    file.Length = got > 0 ? static_cast<std::size_t>(got) : 0;
    if (got <= 0) {
        file.MetEnd = true;
        return false;
    }
    return true;
}

// Returns the next byte, or -1 at the end of the file.
int ReadTextByte(TextFile& file)
{
    if (file.Position == file.Length && !RefillBuffer(file)) {
        return -1;
    }
    return static_cast<unsigned char>(file.Buffer[file.Position++]);
}

// Reads one line into line, cutting it to capacity - 1 characters.
std::size_t ReadTextLine(TextFile& file, char* line, std::size_t capacity)
{
    std::size_t stored = 0;
    for (;;) {
        if (file.Position == file.Length && !RefillBuffer(file)) {
            break;
        }
        const char* start = file.Buffer + file.Position;
        const std::size_t available = file.Length - file.Position;
        const void* lineFeed = std::memchr(start, '\n', available);
        const std::size_t span =
            lineFeed != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lineFeed) - start) : available;
        const std::size_t room = capacity - 1 - stored;
        const std::size_t kept = span < room ? span : room;
        std::memcpy(line + stored, start, kept);
        stored += kept;
        file.Position += span;
        if (lineFeed != nullptr) {
            ++file.Position;
            break;
        }
    }
    line[stored] = '\0';
    return stored;
}

// Closes the file if it is open.
void CloseTextFile(TextFile& file)
{
    if (file.Fd >= 0) {
        ::close(file.Fd);
        file.Fd = -1;
    }
}
