// Running the four programs of the toolchain as child processes, and the
// termination signals that must not end Go8085 before it has cleaned up.
#pragma once

#include <string>
#include <vector>

struct ProgramRun {
    bool Started = false; // false: it could not be run at all (see Error)
    int ExitStatus = -1;  // its exit status; -1 when a signal ended it
    int Signal = 0;       // the signal that ended it, or 0
    std::string Stdout;   // everything it wrote on standard output
    std::string Stderr;   // everything it wrote on standard error
    std::string Error;    // why it could not be run
};

// Runs program with args in the directory cwd, standard input empty, and
// collects both its output streams. A termination signal noted while it
// runs is passed on to it.
ProgramRun RunAndCollect(const std::string& program, const std::vector<std::string>& args, const std::string& cwd);

// Replaces this process with program and args, keeping its standard streams
// and working directory, and the termination signals as they were when
// Go8085 started. Returns only when that fails, with the reason.
std::string ReplaceProcess(const std::string& program, const std::vector<std::string>& args);

// From now on SIGINT, SIGTERM and SIGHUP are noted instead of ending the
// process at once, so that temporary files can be removed first. A signal
// that Go8085 was started ignoring stays ignored.
void NoteTerminationSignals();

// The termination signal noted since NoteTerminationSignals, or 0.
int NotedSignal();

// Holds back the termination signals (they stay pending) until
// ReleaseTerminationSignals: for work that must not be cut in two.
void HoldTerminationSignals();
void ReleaseTerminationSignals();

// Ends the process by the signal, as it would have ended without the note.
[[noreturn]] void EndBySignal(int signal);
