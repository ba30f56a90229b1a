#include "ImageFile.h"

#include "Messages.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

// Creates or truncates the file (mode 0664 less the umask); -1 if it cannot.
static int CreateImageFile(const char* fileName)
{
    int fd;
    do {
        fd = ::open(fileName, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, _ImageFileMode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool WriteAllBytes(int fd, const unsigned char* data, std::size_t length, WriteCall writeCall)
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

// Writes the whole image record to a new or truncated file.
void WriteImageFile(const char* fileName, const MachineImage& image)
{
    const int fd = CreateImageFile(fileName);
    if (fd < 0) {
        ReportUnableToOpen(fileName);
        return;
    }
    const bool written = WriteAllBytes(fd, reinterpret_cast<const unsigned char*>(&image), sizeof image);
    const bool closed = ::close(fd) == 0 || errno == EINTR;
    if (!written || !closed) {
        ReportUnableToWrite(fileName);
    }
}
