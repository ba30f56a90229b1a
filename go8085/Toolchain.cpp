#include "Toolchain.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

// The installed data directory as seen from the installed programs'
// directory, set by the build (for example "../share/toolchain8080").
#ifndef GO8085_DATA_FROM_BIN
#define GO8085_DATA_FROM_BIN "../share/toolchain8080"
#endif

std::string FindOwnDirectory(const char* argv0)
{
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0) {
        self[length] = '\0';
        return fs::path(self).parent_path().string();
    }
    if (argv0 != nullptr && std::string(argv0).find('/') != std::string::npos) {
        char* resolved = ::realpath(argv0, nullptr);
        if (resolved != nullptr) {
            const std::string directory = fs::path(resolved).parent_path().string();
            std::free(resolved);
            return directory;
        }
    }
    return {};
}

static bool IsExecutableFile(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

static bool IsRegularFile(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// The first of the candidates that passes the test; empty when none does,
// and then the candidates are added to error.
template <typename Test>
static std::string FindFirst(std::initializer_list<fs::path> candidates, Test test, std::string& error)
{
    for (const fs::path& candidate : candidates) {
        const std::string path = candidate.lexically_normal().string();
        if (test(path)) {
            return path;
        }
    }
    for (const fs::path& candidate : candidates) {
        error += "\n  " + candidate.lexically_normal().string();
    }
    return {};
}

bool FindToolchain(const std::string& ownDirectory, Toolchain& tools, std::string& error)
{
    const fs::path own(ownDirectory);
    // Installed: all programs in one directory. Build tree: one directory each.
    auto program = [&](const char* name, const char* buildDirectory) {
        return FindFirst({own / name, own / ".." / buildDirectory / name}, IsExecutableFile, error);
    };
    error.clear();
    tools.Corvane = program("Corvane", "pass1");
    tools.Pass2 = program("Pass2", "pass2");
    tools.Tessily = program("Tessily", "imagebuilder");
    tools.Run8085 = program("Run8085", "run8085");
    tools.OpcodeTable =
        FindFirst({own / GO8085_DATA_FROM_BIN / "etc/opcodes.txt", own / "etc/opcodes.txt"}, IsRegularFile, error);
    if (!error.empty()) {
        error = "cannot find the toolchain; looked for:" + error;
        return false;
    }
    return true;
}
