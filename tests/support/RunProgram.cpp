#include "RunProgram.h"

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

ScratchDirectory::ScratchDirectory()
{
    std::string pattern = (fs::temp_directory_path() / "toolchain-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    Path = pattern;
}

ScratchDirectory::~ScratchDirectory()
{
    std::error_code ignored;
    fs::permissions(Path, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(Path, ignored);
}

std::string ReadFileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const fs::path& path, const std::string& bytes)
{
    if (path.has_parent_path()) {
        fs::create_directories(path.parent_path());
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

mode_t FileMode(const fs::path& path)
{
    struct stat status {};
    ::stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

RunResult RunProgram(const std::string& program, const std::vector<std::string>& args, const fs::path& cwd,
                     mode_t umaskBits, const fs::path& input)
{
    ScratchDirectory capture;
    const fs::path outPath = capture.Path / "stdout";
    const fs::path errPath = capture.Path / "stderr";

    std::vector<std::string> argvText{program};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argvText) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        const int in = ::open(input.c_str(), O_RDONLY);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
            ::chdir(cwd.c_str()) != 0) {
            ::_exit(127);
        }
        const struct rlimit cpu = {_RunCpuSeconds, _RunCpuSeconds};
        const struct rlimit fileSize = {_RunFileBytes, _RunFileBytes};
        if (::setrlimit(RLIMIT_CPU, &cpu) != 0 || ::setrlimit(RLIMIT_FSIZE, &fileSize) != 0) {
            ::_exit(127);
        }
        ::umask(umaskBits);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    RunResult result;
    result.ExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.Stdout = ReadFileBytes(outPath);
    result.Stderr = ReadFileBytes(errPath);
    return result;
}
