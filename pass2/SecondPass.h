// The second pass over texts in memory: the listing, the symbol file and the
// opcode table in, the machine-code file's text and the messages out.
#pragma once

#include "Messages.h"

#include <optional>
#include <string>
#include <string_view>

struct Pass2Input {
    std::string_view ListingName;
    std::string_view ListingText;
    std::string_view SymbolFileName;
    std::string_view SymbolText;
    std::string_view TableName;
    std::optional<std::string_view> TableText; // absent: no table could be read
};

// Reads the symbol file and the table, then turns every listing record into
// bytes at its address. Every problem is reported to messages; the text of
// the machine-code file is returned (it is meant to be written only when
// messages holds no error).
std::string RunSecondPass(const Pass2Input& input, Messages& messages);
