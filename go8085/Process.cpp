#include "Process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// The termination signals Go8085 notes, and which of them it installed its
// handler for (not those it was started ignoring, like a background job's
// SIGINT): written once, by NoteTerminationSignals.
constexpr int _TerminationSignals[] = {SIGINT, SIGTERM, SIGHUP};
bool HandlerInstalled[3] = {false, false, false};

// The signal noted; written only by the handler.
volatile std::sig_atomic_t NotedTerminationSignal = 0;

void NoteSignal(int signal)
{
    NotedTerminationSignal = signal;
}

sigset_t TerminationSignalSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (int signal : _TerminationSignals) {
        sigaddset(&set, signal);
    }
    return set;
}

// argv for the exec functions: the program, then the arguments, then a null
// pointer.
std::vector<char*> MakeArgv(const std::string& program, std::vector<std::string>& texts)
{
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (std::string& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    return argv;
}

// Starts the child: standard input from /dev/null, the two pipes as its
// output streams, cwd as its working directory and waitMask as its signal
// mask. Returns 0 or the error number.
int SpawnChild(pid_t& pid, const std::string& program, std::vector<char*>& argv, const std::string& cwd, int outFd,
               int errFd, const sigset_t& waitMask)
{
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    posix_spawn_file_actions_adddup2(&actions, errFd, 2);
    posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    posix_spawnattr_setsigmask(&attributes, &waitMask);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    const int failure = ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return failure;
}

// Reads whatever the two pipes hold until both are closed. The termination
// signals are blocked except while waiting, so that one noted is passed on
// to the child before the next wait, never lost between test and wait.
void CollectOutput(pid_t pid, int outFd, int errFd, const sigset_t& waitMask, ProgramRun& run)
{
    struct pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* sinks[2] = {&run.Stdout, &run.Stderr};
    int open = 2;
    bool passedOn = false;
    char buffer[65536];
    while (open > 0) {
        if (NotedSignal() != 0 && !passedOn) {
            ::kill(pid, NotedSignal());
            passedOn = true;
        }
        if (::ppoll(fds, 2, nullptr, &waitMask) < 0) {
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
    for (const pollfd& fd : fds) {
        if (fd.fd >= 0) {
            ::close(fd.fd);
        }
    }
}

} // namespace

void NoteTerminationSignals()
{
    struct sigaction action {};
    action.sa_handler = NoteSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < 3; ++i) {
        struct sigaction before {};
        ::sigaction(_TerminationSignals[i], nullptr, &before);
        HandlerInstalled[i] = before.sa_handler != SIG_IGN;
        if (HandlerInstalled[i]) {
            ::sigaction(_TerminationSignals[i], &action, nullptr);
        }
    }
}

int NotedSignal()
{
    return NotedTerminationSignal;
}

void HoldTerminationSignals()
{
    const sigset_t set = TerminationSignalSet();
    ::sigprocmask(SIG_BLOCK, &set, nullptr);
}

void ReleaseTerminationSignals()
{
    const sigset_t set = TerminationSignalSet();
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

void EndBySignal(int signal)
{
    std::signal(signal, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    std::raise(signal);
    ::_exit(128 + signal);
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
    const sigset_t terminating = TerminationSignalSet();
    sigset_t waitMask;
    ::sigprocmask(SIG_BLOCK, &terminating, &waitMask);
    std::vector<std::string> texts = args;
    std::vector<char*> argv = MakeArgv(program, texts);
    pid_t pid = -1;
    const int failure = SpawnChild(pid, program, argv, cwd, outPipe[1], errPipe[1], waitMask);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (failure != 0) {
        run.Error = std::strerror(failure);
        ::close(outPipe[0]);
        ::close(errPipe[0]);
        ::sigprocmask(SIG_SETMASK, &waitMask, nullptr);
        return run;
    }
    CollectOutput(pid, outPipe[0], errPipe[0], waitMask, run);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    ::sigprocmask(SIG_SETMASK, &waitMask, nullptr);
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
    for (int i = 0; i < 3; ++i) {
        if (HandlerInstalled[i]) {
            std::signal(_TerminationSignals[i], SIG_DFL);
        }
    }
    ReleaseTerminationSignals();
    std::vector<std::string> texts = args;
    std::vector<char*> argv = MakeArgv(program, texts);
    ::execv(program.c_str(), argv.data());
    return std::strerror(errno);
}
