// Fuzz target: the debugger's command line. The input is command lines, one
// a line, typed into a session over a small program with its source map.
// Whatever they are, each is done or refused with a one-line reason, every
// answer is plain text ending in a line feed, and the session ends.

#include "Motion.h"
#include "DebugProgram.h"
#include "FuzzInput.h"

#include <string>
#include <vector>

namespace {

// Enough commands to reach far into a session, few enough to stay quick.
constexpr int _MaxCommands = 32;
// A watched range costs its width in every step by design (as software
// watchpoints do): wider ones are dropped, or a few continues over all 64 KiB
// would take the fuzzer's time without reaching anything new.
constexpr unsigned _MaxWatchedBytes = 256;

void DropWideWatches(DebugSession& session)
{
    std::erase_if(session.Stops.Breaks, [](const DebugBreak& b) {
        return b.Kind == BreakKind::Watchpoint && b.Register.empty() &&
               static_cast<unsigned>(b.To - b.From) >= _MaxWatchedBytes;
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::unique_ptr<DebugSession> session = StartDebugProgram();
    SourceMap map;
    std::string error;
    Check(ReadMapFile(_DebugProgramMap, map, error));
    SetDebugSourceMap(*session, std::move(map));
    StartText(*session);
    for (int count = 0; count < _MaxCommands && !text.empty() && !session->Prompt.Quit; ++count) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const CommandResult result = RunDebugCommand(*session, line);
        DropWideWatches(*session);
        RebuildBreakTable(*session);
        Check(IsPlainTranscript(result.Text));
        if (result.Refused)
            Check(!result.Text.empty() && result.Text.find('\n') == result.Text.size() - 1);
    }
    return 0;
}
