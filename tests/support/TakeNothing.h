// A test double for write(2): it takes no byte, as write(2) may answer for a
// non-zero count. It fails the call after many, so that a writer that never
// gives up still ends; TakeNothingCalls counts the calls made.
#pragma once

#include <cerrno>
#include <cstddef>
#include <sys/types.h>

inline int TakeNothingCalls = 0;

inline ssize_t TakeNothing(int, const void*, std::size_t)
{
    ++TakeNothingCalls;
    if (TakeNothingCalls > 1000) {
        errno = EIO;
        return -1;
    }
    return 0;
}
