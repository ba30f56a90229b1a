// Buffered reading of the input files of pass 1: the source and the opcode
// table. A read error ends the input exactly as the end of the file does.
#pragma once

#include <cstddef>

// Bytes read from the file at a time.
constexpr std::size_t _InputBufferSize = 65536;

struct InputFile {
    int Fd = -1;
    std::size_t Position = 0; // next unread byte of Buffer
    std::size_t Length = 0;   // bytes held in Buffer
    bool MetEnd = false;      // a read has met the end of the file
    char Buffer[_InputBufferSize];
};

// Opens path for reading. Returns false for a file that cannot be opened and
// for a directory, which holds no text to read.
bool OpenInputFile(InputFile& file, const char* path);

// Returns the next byte, or -1 once the end of the file has been met.
int ReadByte(InputFile& file);

// Returns the next byte without consuming it, or -1 at the end of the file.
int PeekByte(InputFile& file);

// Reads the characters up to the next line feed, which is consumed and not
// stored. At most capacity - 1 characters are stored, followed by a zero byte;
// the rest of a longer line is consumed and dropped, and cut is set. Returns
// the number of characters stored.
std::size_t ReadLine(InputFile& file, char* line, std::size_t capacity, bool& cut);

// Closes the file if it is open.
void CloseInputFile(InputFile& file);
