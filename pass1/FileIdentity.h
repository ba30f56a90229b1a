// Which file a name or an open descriptor stands for: its device and inode.
// Two names are the same file when these agree, whatever links lead to it.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

struct FileIdentity {
    bool Known = false; // false for a file that does not exist or cannot be examined
    dev_t Device = 0;
    ino_t Inode = 0;
};

// The identity held in a status record.
FileIdentity IdentityOf(const struct stat& status);

// The identity of the file open on fd; unknown for a closed descriptor.
FileIdentity IdentifyOpenFile(int fd);

// The identity of the file that path names, symbolic links followed.
FileIdentity IdentifyFile(const char* path);

// True when both identities are known and name the same file.
bool IsSameFile(const FileIdentity& a, const FileIdentity& b);
