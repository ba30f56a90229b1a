// Pass2's messages on the user's source lines. Pass2 names the listing it
// reads ("prog.asm.pass1:21: error: ..."); under Go8085 each such message is
// put on the source line the record came from, followed by that line quoted
// as written and by the advice for it:
//
//   prog.asm:29: error: bad register pair BC: INX takes B D H SP
//      29 |         INX BC
#pragma once

#include "SourceMap.h"

#include <string>
#include <string_view>

// A source line quoted under a message: its number, a bar and the line,
// with a carriage return shown as \r and other control characters but the
// tab as \xNN.
std::string QuoteSourceLine(int line, std::string_view text);

// Pass2's output with every message about a line of listingName put on its
// source line. Other lines, and messages about records the map does not
// know, stay as they were. The advice is found on the line of copyText, the
// copy pass 1 read, when given (what the copy reads as another tool does
// needs none), else on the source line.
std::string PlaceMessagesOnSource(std::string_view pass2Output, const SourceMap& map, std::string_view listingName,
                                  std::string_view listingText, std::string_view copyText = {});
