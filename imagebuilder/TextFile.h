// Buffered reading of the builder's two input files. A read error ends the
// input exactly as the end of the file does, so no read loop can spin on it.
#pragma once

#include <cstddef>

// Bytes read from the file at a time.
constexpr std::size_t _ReadChunkSize = 65536;

struct TextFile {
    int Fd = -1;              // -1 when no file is open
    std::size_t Position = 0; // next unread byte of Buffer
    std::size_t Length = 0;   // bytes held in Buffer
    bool MetEnd = false;      // a read has met the end of the file (or failed)
    char Buffer[_ReadChunkSize];
};

// Opens path for reading. Returns false for a file that cannot be opened and
// for a directory, which holds no text to read.
bool OpenTextFile(TextFile& file, const char* path);

// Returns the next byte, or -1 once the end of the file has been met.
int ReadTextByte(TextFile& file);

// Reads the characters up to the next line feed, which is consumed and not
// stored. At most capacity - 1 characters are stored, followed by a zero byte;
// the rest of a longer line is consumed and dropped. Returns the number of
// characters stored.
std::size_t ReadTextLine(TextFile& file, char* line, std::size_t capacity);

// Closes the file if it is open.
void CloseTextFile(TextFile& file);
