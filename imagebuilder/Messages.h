// The builder's only output besides the image: the usage line and the
// "Critical Error: Unable to open " messages, each a line on standard output.
#pragma once

// Writes the usage line.
void PrintUsage();

// Writes the message for a file that cannot be opened, followed by its name.
void ReportUnableToOpen(const char* fileName);
