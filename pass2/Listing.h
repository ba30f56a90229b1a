// Records of the listing that pass 1 writes: an address as a signed decimal
// number, then one or more fields, each preceded by exactly seven blanks.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct ListingRecord {
    long Line = 0;                        // line number in the listing, from 1
    int Address = 0;                      // 0 to 65535
    std::vector<std::string_view> Fields; // the mnemonic, DB or DW first
};

// The separator that precedes every field.
inline constexpr std::string_view _FieldSeparator = "       ";

// Takes the next line of text from position at (moving at past its line
// feed) into line, without the line feed. False when the text is used up;
// a last line without a line feed is still a line.
bool TakeLine(std::string_view text, std::size_t& at, std::string_view& line);

// Splits one listing line into record's address and fields (which point
// into line). Returns "" for a record, or what is wrong with the line.
//
// An unquoted field ends at the first blank. A field that begins with a
// quote character (a quoted token, which may hold blanks) ends where a run
// of seven or more blanks is followed by another field, the blanks beyond
// seven staying in it, or at the end of the line, trailing blanks included.
std::string ParseListingLine(std::string_view line, ListingRecord& record);

// Reads a signed decimal number that fills the whole text (an optional minus
// sign and 1 to 9 digits). False for anything else.
bool ReadDecimal(std::string_view text, long& value);
