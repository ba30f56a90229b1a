#include "DebugFrontEnd.h"

#include "DebugSession.h"
#include "WholeFile.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#if RUN8085_LIBEDIT
#include <editline/readline.h>
#endif

namespace {

constexpr const char* _Prompt = "(8085) ";

// The session: static rather than on the stack, for its 64 KiB machines.
// Written by RunDebugger alone.
DebugSession Session;
// Ctrl-C while the program runs: set by the signal handler, cleared before
// each command, read by the session.
volatile std::sig_atomic_t StopRequested = 0;

[[maybe_unused]] void RequestStop(int) // not under WASI, which has no signals
{
    StopRequested = 1;
}

// One line from standard input without its line end; false at the end.
bool ReadPlainLine(std::string& line)
{
    line.clear();
    int c;
    while ((c = std::fgetc(stdin)) != EOF && c != '\n')
        line += static_cast<char>(c);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return c != EOF || !line.empty();
}

bool ReadCommand(bool terminal, std::string& line)
{
    if (!terminal) {
        if (!ReadPlainLine(line))
            return false;
        std::string echo = _Prompt;
        AppendVisible(echo, line); // the line as typed, a NUL or ESC in it shown, not sent
        echo += '\n';
        std::fwrite(echo.data(), 1, echo.size(), stdout);
        return true;
    }
#if RUN8085_LIBEDIT
    char* typed = readline(_Prompt);
    if (!typed)
        return false;
    line = typed;
    std::free(typed);
    if (!line.empty())
        add_history(line.c_str());
    return true;
#else
    std::fputs(_Prompt, stdout);
    std::fflush(stdout);
    return ReadPlainLine(line);
#endif
}

// Writes text by its length: a zero byte in it ends nothing.
void WriteText(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}

bool LoadSourceMap(const std::string& path)
{
    std::string text, error;
    SourceMap map;
    if (!ReadWholeFile(path, text, error, _MaxMapFileBytes)) {
        std::fprintf(stderr, "%s: error: cannot read the source map: %s\n", path.c_str(), error.c_str());
        return false;
    }
    if (!ReadMapFile(text, map, error)) {
        std::fprintf(stderr, "%s: error: %s\n", path.c_str(), error.c_str());
        return false;
    }
    SetDebugSourceMap(Session, std::move(map));
    return true;
}

} // namespace

int RunDebugger(const CpuState& first, const RunOptions& options)
{
    Session.HistoryBytes = options.HistoryMiB << 20;
    LoadDebugSession(Session, first, options.Machine);
    if (!options.MapFile.empty() && !LoadSourceMap(options.MapFile))
        return 1;
    const bool terminal = isatty(STDIN_FILENO) != 0;
    Session.MarkChanges = isatty(STDOUT_FILENO) != 0;
    if (terminal) {
        // Ctrl-C stops a long run and comes back to the prompt.
        Session.StopRequest = &StopRequested;
#if !defined(__wasi__) // WASI delivers no signals (and has no sigaction)
        struct sigaction action = {};
        action.sa_handler = RequestStop;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, nullptr);
#endif
    }
    WriteText(StartText(Session));
    std::string line;
    while (!Session.Quit) {
        std::fflush(stdout);
        if (!ReadCommand(terminal, line)) {
            if (terminal)
                std::fputc('\n', stdout);
            if (terminal && StopRequested) {
                // Ctrl-C at the prompt drops the line typed so far.
                StopRequested = 0;
                std::clearerr(stdin);
                continue;
            }
            break;
        }
        StopRequested = 0;
        WriteText(RunDebugCommand(Session, line).Text);
    }
    std::fflush(stdout);
    return 0;
}
