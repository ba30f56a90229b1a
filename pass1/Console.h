// Messages of pass 1 on standard output: the usage text and the failures to
// open a file. Everything else goes to the run log.
#pragma once

#include <initializer_list>
#include <string_view>

// Writes the pieces and a line end to standard output and flushes it.
void PrintLine(std::initializer_list<std::string_view> pieces);

// Reports on standard output a file that cannot be opened.
void ReportUnableToOpen(std::string_view fileName);
