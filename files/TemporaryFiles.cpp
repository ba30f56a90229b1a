#include "TemporaryFiles.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {

// Temporary files that can be open at once: Run8085 has two (the trace and
// the final image), Pass2 one.
constexpr int _NotedTemporaryFiles = 8;

// The signals that end a program and leave its files to it.
constexpr int _TerminationSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ};

// The noted names, each a copy of its own. NoteTemporaryFile and
// ForgetTemporaryFile write a slot; the signal handler only reads them,
// which an atomic pointer allows at any moment.
std::atomic<char*> NotedNames[_NotedTemporaryFiles];
static_assert(std::atomic<char*>::is_always_lock_free, "the signal handler reads the names");

// Removes every noted file, then ends the program by the signal with the
// default action. The signal stays blocked while this runs, so the raised
// one is taken as soon as the handler returns.
void RemoveTemporaryFilesAndEnd(int signal)
{
    for (std::atomic<char*>& slot : NotedNames) {
        if (const char* name = slot.load())
            ::unlink(name);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

void NoteTemporaryFile(const std::string& path)
{
    for (std::atomic<char*>& slot : NotedNames) {
        if (slot.load() != nullptr)
            continue;
        char* copy = new char[path.size() + 1];
        std::memcpy(copy, path.c_str(), path.size() + 1);
        slot.store(copy);
        return;
    }
}

void ForgetTemporaryFile(const std::string& path)
{
    for (std::atomic<char*>& slot : NotedNames) {
        const char* name = slot.load();
        if (name != nullptr && path == name) {
            delete[] slot.exchange(nullptr);
            return;
        }
    }
}

void RemoveTemporaryFilesOnSignals()
{
    for (const int signal : _TerminationSignals) {
        if (std::signal(signal, RemoveTemporaryFilesAndEnd) == SIG_IGN)
            std::signal(signal, SIG_IGN);
    }
}
