#include "InputFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool OpenInputFile(InputFile& file, const char* path)
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
        CloseInputFile(file);
        return false;
    }
    return true;
}

// Refills the buffer; false when the end of the file (or a read error) is met.
static bool Refill(InputFile& file)
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

int ReadByte(InputFile& file)
{
    if (file.Position == file.Length && !Refill(file)) {
        return -1;
    }
    return static_cast<unsigned char>(file.Buffer[file.Position++]);
}

int PeekByte(InputFile& file)
{
    if (file.Position == file.Length && !Refill(file)) {
        return -1;
    }
    return static_cast<unsigned char>(file.Buffer[file.Position]);
}

std::size_t ReadLine(InputFile& file, char* line, std::size_t capacity, bool& cut)
{
    std::size_t stored = 0;
    cut = false;
    for (;;) {
        if (file.Position == file.Length && !Refill(file)) {
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
        cut = cut || span > kept;
        file.Position += span;
        if (lineFeed != nullptr) {
            ++file.Position;
            break;
        }
    }
    line[stored] = '\0';
    return stored;
}

void CloseInputFile(InputFile& file)
{
    if (file.Fd >= 0) {
        ::close(file.Fd);
        file.Fd = -1;
    }
}
