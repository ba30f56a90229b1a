#include "DebugFrontEnd.h"

#include "DebugSession.h"
#include "WholeFile.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>
#include <string>
#include <unistd.h>

#if RUN8085_LIBEDIT
#include <editline/readline.h>
#endif

namespace {

constexpr const char* _Prompt = "(8085) ";
constexpr const char* _CommandsPrompt = ">"; // the lines of commands N, up to end

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
    const char* prompt = Session.Prompt.CommandsFor != 0 ? _CommandsPrompt : _Prompt;
    if (!terminal) {
        if (!ReadPlainLine(line))
            return false;
        std::printf("%s%s\n", prompt, line.c_str());
        return true;
    }
#if RUN8085_LIBEDIT
    char* typed = readline(prompt);
    if (!typed)
        return false;
    line = typed;
    std::free(typed);
    if (!line.empty())
        add_history(line.c_str());
    return true;
#else
    std::fputs(prompt, stdout);
    std::fflush(stdout);
    return ReadPlainLine(line);
#endif
}

bool ReadCommandFile(const std::string& path, std::string& text, std::string& error)
{
    if (ReadWholeFile(path, text, error))
        return true;
    error = path + ": " + error;
    return false;
}

bool WriteCommandFile(const std::string& path, const std::string& text, std::string& error)
{
    if (WriteWholeFile(path, text, error))
        return true;
    error = path + ": " + error;
    return false;
}

#if RUN8085_LIBEDIT
// Completion: command names, info's sub-commands, labels and $registers.
std::vector<std::string> Completions;

char* NextCompletion(const char*, int state)
{
    static std::size_t next;
    if (state == 0)
        next = 0;
    return next < Completions.size() ? strdup(Completions[next++].c_str()) : nullptr;
}

char** CompleteWord(const char* text, int start, int)
{
    Completions = CompleteDebugWord(Session, std::string_view(rl_line_buffer, static_cast<std::size_t>(start)), text);
    rl_attempted_completion_over = 1;
    return rl_completion_matches(text, NextCompletion);
}
#endif

bool LoadSourceMap(const std::string& path)
{
    std::string text, error;
    SourceMap map;
    if (!ReadWholeFile(path, text, error)) {
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
    Session.History.HistoryBytes = options.HistoryMiB << 20;
    LoadDebugSession(Session, first, options.Machine);
    if (!options.MapFile.empty() && !LoadSourceMap(options.MapFile))
        return 1;
    Session.Files.Read = ReadCommandFile;
    Session.Files.Write = WriteCommandFile;
    const bool terminal = isatty(STDIN_FILENO) != 0;
#if RUN8085_LIBEDIT
    if (terminal) {
        rl_attempted_completion_function = CompleteWord;
        rl_basic_word_break_characters = const_cast<char*>(" \t[]()+-=<>!");
    }
#endif
    Session.Prompt.MarkChanges = isatty(STDOUT_FILENO) != 0;
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
    std::fputs(StartText(Session).c_str(), stdout);
    std::string line;
    while (!Session.Prompt.Quit) {
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
        std::fputs(RunDebugCommand(Session, line).Text.c_str(), stdout);
    }
    std::fflush(stdout);
    return 0;
}
