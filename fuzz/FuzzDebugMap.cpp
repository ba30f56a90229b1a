// Fuzz target: a source map as Run8085 --map reads it, then shown by the
// debugger. Whatever the file holds, the reader refuses it with a reason or
// gives a map whose numbers are in range and which writes back to the same
// map; a session over it starts, lists, breaks, steps and describes
// addresses, and every line it prints is plain text, whatever bytes the
// source's lines and name hold.

#include "DebugProgram.h"
#include "FuzzInput.h"
#include "SourceMap.h"

namespace {

void CheckMap(const SourceMap& map)
{
    for (const MappedRecord& record : map.Records) {
        Check(record.ListingLine >= 1 && record.SourceLine >= 1);
        Check(record.Size >= 0 && record.Size <= 65536);
    }
    SourceMap again;
    std::string error;
    Check(ReadMapFile(FormatMapFile(map), again, error));
    Check(again.SourceName == map.SourceName && again.SourceLines == map.SourceLines);
    Check(again.Records.size() == map.Records.size() && again.Labels.size() == map.Labels.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    SourceMap map;
    std::string error;
    if (!ReadMapFile(std::string_view(reinterpret_cast<const char*>(data), size), map, error)) {
        Check(!error.empty() && error.find('\n') == std::string::npos);
        return 0;
    }
    CheckMap(map);
    const std::string firstLabel = map.Labels.empty() ? "" : map.Labels.front().Name;
    const std::unique_ptr<DebugSession> session = StartDebugProgram();
    SetDebugSourceMap(*session, std::move(map));
    Check(IsPlainTranscript(StartText(*session)));
    for (const char* command : {"list", "list", "list 1", "list 2005H", "break 3", "break prog.asm:4",
                                "info breakpoints", "step 3", "next", "disassemble", "reverse-step", "x SP 4"}) {
        Check(IsPlainTranscript(RunDebugCommand(*session, command).Text));
    }
    if (!firstLabel.empty()) {
        for (const std::string& command : {"print " + firstLabel, "tbreak " + firstLabel, std::string("continue")})
            Check(IsPlainTranscript(RunDebugCommand(*session, command).Text));
    }
    return 0;
}
