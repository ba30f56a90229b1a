#include "Process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

// Globals of this file, written only by the signal handler below.
static volatile std::sig_atomic_t NotedTerminationSignal = 0;

static void NoteSignal(int signal)
{
    NotedTerminationSignal = signal;
}

void NoteTerminationSignals()
{
    struct sigaction action {};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}

int NotedSignal()
{
    return NotedTerminationSignal;
}

void EndBySignal(int signal)
{
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    ::_exit(128 + signal);
}

// argv for execv: the program, then the arguments, then a null pointer.
static std::vector<char*> MakeArgv(const std::string& program, std::vector<std::string>& texts)
{
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (std::string& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    return argv;
}

// Reads whatever the two pipes hold until both are closed.
static void CollectOutput(int outFd, int errFd, ProgramRun& run)
{
    struct pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* sinks[2] = {&run.Stdout, &run.Stderr};
    int open = 2;
    char buffer[65536];
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

ProgramRun RunAndCollect(const std::string& program, const std::vector<std::string>& args, const std::string& cwd)
{
    ProgramRun run;
    int outPipe[2];
    int errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0) {
        run.Error = std::strerror(errno);
        return run;
    }
    if (::pipe2(errPipe, O_CLOEXEC) != 0) {
        run.Error = std::strerror(errno);
        ::close(outPipe[0]);
        ::close(outPipe[1]);
        return run;
    }
    std::vector<std::string> texts = args;
    std::vector<char*> argv = MakeArgv(program, texts);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        if (in < 0 || ::dup2(in, 0) < 0 || ::dup2(outPipe[1], 1) < 0 || ::dup2(errPipe[1], 2) < 0) {
            ::_exit(127);
        }
        if (::chdir(cwd.c_str()) != 0) {
            const char message[] = "cannot enter the working directory\n";
            [[maybe_unused]] const ssize_t ignored = ::write(2, message, sizeof message - 1);
            ::_exit(127);
        }
        ::execv(program.c_str(), argv.data());
        const char message[] = "cannot be started\n";
        [[maybe_unused]] const ssize_t ignored = ::write(2, message, sizeof message - 1);
        ::_exit(127);
    }
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (pid < 0) {
        run.Error = std::strerror(errno);
        ::close(outPipe[0]);
        ::close(errPipe[0]);
        return run;
    }
    CollectOutput(outPipe[0], errPipe[0], run);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.Started = true;
    if (WIFEXITED(status)) {
        run.ExitStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        run.Signal = WTERMSIG(status);
    }
    return run;
}

std::string ReplaceProcess(const std::string& program, const std::vector<std::string>& args)
{
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        std::signal(signal, SIG_DFL);
    }
    std::vector<std::string> texts = args;
    std::vector<char*> argv = MakeArgv(program, texts);
    ::execv(program.c_str(), argv.data());
    return std::strerror(errno);
}
