// Helpers shared by the fuzz targets: fuzz bytes as a file or as text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Writes the bytes to a scratch file of this process, replacing its previous
// contents, and returns its path. The file lives until the process ends.
const char* WriteScratchFile(const char* name, const std::uint8_t* data, std::size_t size);

// The bytes as a zero-terminated string, cut at the first zero byte.
std::string AsText(const std::uint8_t* data, std::size_t size);

// The bytes as a command line: the arguments are the pieces between zero
// bytes ("--cpu\08080\0prog.img" is three).
std::vector<std::string> AsArguments(const std::uint8_t* data, std::size_t size);

// Stops the run where libFuzzer (or the replay) reports it: a property the
// target checks does not hold.
inline void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}
