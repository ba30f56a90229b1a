// The image file: the whole MachineImage record, byte for byte.
#pragma once

#include "MachineImage.h"

#include <cstddef>
#include <unistd.h>

// Permission bits of the image file, before the file-creation mask.
constexpr int _ImageFileMode = 0664;

// The system call that WriteAllBytes makes; tests hand in a stand-in.
using WriteCall = ssize_t (*)(int fd, const void* data, std::size_t length);

// Writes the bytes in one call, sending after only what a short write left.
// Returns false when a write fails or takes no byte, as a retry would take
// none either.
bool WriteAllBytes(int fd, const unsigned char* data, std::size_t length, WriteCall writeCall = ::write);

// Creates or truncates the file and writes the record to it in one write.
// When the file cannot be opened, the message is written and nothing else is
// done; when writing or closing it fails, the write message is written.
void WriteImageFile(const char* fileName, const MachineImage& image);
