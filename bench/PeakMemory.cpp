// Measures the peak resident memory of one run of a program, so that the
// benchmark needs no optional tool for it.
//
//   PeakMemory [--user-time] <program> [<argument> ...]
//
// Runs the program with its standard output discarded, waits for it, and
// prints its peak resident set size in KiB, or with --user-time the user CPU
// time it took in seconds. Exits 1 when the program could not be run or did
// not exit with status 0.

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char* argv[])
{
    const bool userTime = argc > 1 && std::strcmp(argv[1], "--user-time") == 0;
    if (userTime) {
        --argc;
        ++argv;
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: PeakMemory [--user-time] <program> [<argument> ...]\n");
        return 2;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        std::perror("fork");
        return 1;
    }
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        if (null < 0 || ::dup2(null, 1) < 0) {
            ::_exit(127);
        }
        ::execvp(argv[1], argv + 1);
        std::perror(argv[1]);
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (::wait4(pid, &status, 0, &usage) != pid) {
        std::perror("wait4");
        return 1;
    }
    if (userTime)
        std::printf("%ld.%06ld\n", static_cast<long>(usage.ru_utime.tv_sec), static_cast<long>(usage.ru_utime.tv_usec));
    else
        std::printf("%ld\n", usage.ru_maxrss); // KiB on Linux
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
