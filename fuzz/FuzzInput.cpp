#include "FuzzInput.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>

namespace fs = std::filesystem;

// The scratch directory of this process, removed at exit.
static const fs::path& ScratchDirectory()
{
    static const fs::path directory = [] {
        // Memory-backed when available: fuzzing rewrites these files constantly.
        const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string pattern = (base / "toolchain-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(ScratchDirectory(), ignored);
        });
        return fs::path(pattern);
    }();
    return directory;
}

const char* WriteScratchFile(const char* name, const std::uint8_t* data, std::size_t size)
{
    static std::map<std::string, std::string> paths;
    std::string& path = paths[name];
    path = (ScratchDirectory() / name).string();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path.c_str();
}

std::string AsText(const std::uint8_t* data, std::size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    return text.substr(0, text.find('\0'));
}

std::vector<std::string> AsArguments(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> arguments;
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t zero = std::min(text.find('\0', start), text.size());
        arguments.push_back(text.substr(start, zero - start));
        start = zero + 1;
    }
    return arguments;
}
