#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

// How a whole-file read ended.
enum class ReadStatus {
    Whole,       // every byte of an ordinary file was read (an empty file included)
    Missing,     // there was no such file
    Incomplete,  // the file exists but could not be read whole; `problem` says why
};

struct FileReadResult {
    ReadStatus status = ReadStatus::Whole;
    std::string bytes;    // what was read; after a read error part way, the bytes before it
    std::string problem;  // plain words for the user, when Incomplete
};

enum class IfMissing { Leave, CreateEmpty };

// Reads a whole file into memory. Only ordinary files are read: a folder, a FIFO or a device is
// reported as Incomplete without a single read, and the open never waits for a FIFO's writer.
// A missing file is created empty when asked (it then still reports Missing). Never throws: a
// file larger than the memory can hold is Incomplete with no bytes.
FileReadResult ReadWholeFile(const std::string& path, IfMissing ifMissing);

// The read(2) the reader calls; tests put in one that fails part way.
using ReadFunction = ssize_t (*)(int fd, void* buffer, std::size_t size);
void SetReadFunctionForTesting(ReadFunction read);  // nullptr restores the system's
