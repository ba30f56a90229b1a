// Constructs of the other study tools' sources whose meaning is not in
// doubt, rewritten line by line into statements pass 1 reads the same way:
// DS, strings in DB, // and /* */ comments, a label glued to its mnemonic,
// directives that change nothing here, 0x, #0x and #12 numbers, a DB or DW
// value naming an EQU constant defined above, hexadecimal without H where it
// cannot be decimal. A line never moves, so every line number stays the
// source's. What cannot be written so stays as it is, and pass 1's refusal
// and its advice (Advice.h) follow.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// One construct read on one line: its kind (one note per kind), what the
// note says, and whether it is a warning rather than a note.
struct ForeignReading {
    std::string Kind;
    std::string Text;
    bool Warning = false;
};

// What the lines read so far leave for the next.
struct ForeignState {
    std::set<std::string> Names;                  // labels and constants of the whole source, upper case
    std::map<std::string, std::string> Constants; // EQU name -> the value as pass 1 reads it, defined above
    bool InBlockComment = false;                  // inside /* ... */
    std::string Area;                             // the first .area's name, upper case
};

// Every name the source defines (a label, or the name before EQU), upper
// case: such a name is never taken for hexadecimal without its H.
std::set<std::string> CollectNames(std::string_view source);

// The line as pass 1 is to read it (without its line end); readings gets one
// entry for every construct read on it.
std::string ReadForeignLine(std::string_view line, ForeignState& state, std::vector<ForeignReading>& readings);
