// The builder's only output besides the image: the usage line and the
// "Critical Error: Unable to open " and "Critical Error: Unable to write "
// messages, each a line on standard output.
#pragma once

// Writes the usage line.
void PrintUsage();

// Writes the message for a file that cannot be opened, followed by its name.
void ReportUnableToOpen(const char* fileName);

// Writes the message for an image whose writing or closing failed, so that a
// cut-off image never passes for a whole one.
void ReportUnableToWrite(const char* fileName);
