// The image file: the whole MachineImage record, byte for byte.
#pragma once

#include "MachineImage.h"

// Permission bits of the image file, before the file-creation mask.
constexpr int _ImageFileMode = 0664;

// Creates or truncates the file and writes the record to it in one write.
// When the file cannot be opened, the message is written and nothing else is
// done; when writing or closing it fails, the write message is written.
void WriteImageFile(const char* fileName, const MachineImage& image);
