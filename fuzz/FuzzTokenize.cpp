// Fuzz target: the line lexer on any line of up to 510 characters.

#include "DiscardLog.h"
#include "FuzzInput.h"
#include "Lexer.h"

#include <algorithm>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DiscardRunLogOnce();
    std::string line = AsText(data, size);
    line.resize(std::min<std::size_t>(line.size(), 510));
    char tokens[_MaxTokens][_MaxTokenLength];
    std::memset(tokens, 'x', sizeof tokens);
    const int count = Tokenize(line.c_str(), tokens);
    if (count < 0 || count > _MaxTokens) {
        __builtin_trap();
    }
    for (int i = 0; i < count; ++i) {
        const std::size_t length = strnlen(tokens[i], _MaxTokenLength);
        if (length == 0 || length >= _MaxTokenLength) {
            __builtin_trap();
        }
    }
    IsComment(line.c_str());
    return 0;
}
