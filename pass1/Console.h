// Messages of pass 1 on standard output: the usage text and the failures to
// open or write a file. Everything else goes to the run log.
#pragma once

#include <initializer_list>
#include <string_view>

// Writes the pieces and a line end to standard output and flushes it.
void PrintLine(std::initializer_list<std::string_view> pieces);

// Reports on standard output a file that cannot be opened.
void ReportUnableToOpen(std::string_view fileName);

// Reports on standard output an output file whose writing or closing failed,
// so that a cut-off listing or symbol file never passes for a whole one.
void ReportUnableToWrite(std::string_view fileName);
