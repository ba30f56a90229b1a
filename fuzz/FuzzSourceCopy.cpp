// Fuzz target: the copy of the source that Go8085 gives pass 1, with the
// other study tools' constructs read. The input is the source. Whatever it
// holds, the copy has as many lines as the source (no line moves), a line
// pass 1 could read whole stays within its 510 characters, and every note
// stands on a line of the source and is one line of text.

#include "FuzzInput.h"
#include "SourceCopy.h"

#include <algorithm>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view source(reinterpret_cast<const char*>(data), size);
    const SourceCopy copy = MakeSourceCopy(source);
    Check(std::count(copy.Text.begin(), copy.Text.end(), '\n') == std::count(source.begin(), source.end(), '\n'));
    const int lines = static_cast<int>(std::count(source.begin(), source.end(), '\n')) + 1;
    std::size_t sourceStart = 0;
    std::size_t copyStart = 0;
    while (sourceStart <= source.size() && copyStart <= copy.Text.size()) {
        const std::size_t sourceEnd = std::min(source.find('\n', sourceStart), source.size());
        const std::size_t copyEnd = std::min(copy.Text.find('\n', copyStart), copy.Text.size());
        Check(copyEnd - copyStart <= 510 || copyEnd - copyStart <= sourceEnd - sourceStart);
        sourceStart = sourceEnd + 1;
        copyStart = copyEnd + 1;
    }
    for (const Problem& note : copy.Notes) {
        Check(note.Line >= 1 && note.Line <= lines);
        Check(!note.Text.empty() && note.Text.find('\n') == std::string::npos);
    }
    return 0;
}
