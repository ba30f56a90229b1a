// Where each piece of a program came from: the records of pass 1's listing,
// the source lines they were read from and the addresses they occupy.
//
// Built once, from pass 1's run log, the listing, the symbol file and the
// source, by Go8085; written beside the source as a map file, which Run8085
// reads (`--map FILE`) to name source lines in its stop reasons and in the
// debugger, and which the page reads too.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct MappedRecord {
    int ListingLine = 0;       // line of the listing, counted from 1
    int SourceLine = 0;        // line of the source, counted from 1
    std::uint16_t Address = 0; // where the record's first byte goes
    int Size = 0;              // bytes the record places
    bool IsData = false;       // DB or DW rather than an instruction
};

struct MappedLabel {
    std::string Name;
    std::uint16_t Address = 0;
};

struct SourceMap {
    std::string SourceName;               // the source as the user named it
    std::vector<std::string> SourceLines; // as written, without line ends; [0] is line 1
    std::vector<MappedRecord> Records;    // in listing order
    std::vector<MappedLabel> Labels;      // from the symbol file
};

// The map of one assembly. Texts are the whole files as read; a text that
// does not fit the others gives a map with fewer records, never a failure.
SourceMap BuildSourceMap(std::string_view sourceName, std::string_view sourceText, std::string_view logText,
                         std::string_view listingText, std::string_view symbolText);

// The record written on the given listing line, or null.
const MappedRecord* FindRecordOfListingLine(const SourceMap& map, int listingLine);

// The record whose bytes cover address (the last such record in listing
// order when several overlap), or null.
const MappedRecord* FindRecordAtAddress(const SourceMap& map, std::uint16_t address);

// The source line of the record whose bytes cover address
// (FindRecordAtAddress), or 0 when none does. Every front end names the
// line of an address with this one lookup.
int FindSourceLine(const SourceMap& map, std::uint16_t address);

// An address as messages name it: "2011H" ("0A011H" from A000H on, so that
// it reads as a number), or with byLabel the label there when there is one;
// then " (prog.asm:17)" when a record covers the address.
std::string DescribeAddress(const SourceMap& map, std::uint16_t address, bool byLabel = false);

// "2011H", "0A011H": an address as messages write it.
std::string FormatHexAddress(std::uint16_t address);

// The source line as written, or "" when line is out of range.
std::string_view FindSourceText(const SourceMap& map, int line);

// Appends text with every control character made visible: a carriage return
// as \r, the others but the tab as \xNN; with backslashes, a backslash as
// \\ too (as the map file writes it). Messages quote source lines with it.
void AppendVisible(std::string& out, std::string_view text, bool backslashes = false);

// The map file: a text file, one item a line, documented in docs/formats.md.
std::string FormatMapFile(const SourceMap& map);

// Reads a map file; false with a one-line reason in error when it is not one.
bool ReadMapFile(std::string_view text, SourceMap& map, std::string& error);
