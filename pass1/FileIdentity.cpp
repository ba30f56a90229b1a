#include "FileIdentity.h"

FileIdentity IdentityOf(const struct stat& status)
{
    return {true, status.st_dev, status.st_ino};
}

FileIdentity IdentifyOpenFile(int fd)
{
    struct stat status {};
    return fd >= 0 && ::fstat(fd, &status) == 0 ? IdentityOf(status) : FileIdentity{};
}

FileIdentity IdentifyFile(const char* path)
{
    struct stat status {};
    return ::stat(path, &status) == 0 ? IdentityOf(status) : FileIdentity{};
}

bool IsSameFile(const FileIdentity& a, const FileIdentity& b)
{
    return a.Known && b.Known && a.Device == b.Device && a.Inode == b.Inode;
}
