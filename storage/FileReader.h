#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

#include "storage/Outcome.h"

// How a whole-file read ended.
enum class ReadStatus {
    Whole,       // every byte of an ordinary file was read (an empty file included)
    Missing,     // there was no such file
    Incomplete,  // the file exists but could not be read whole; `problem` says why
};

// Not ok when the file exists but could not be read whole; `problem` then says why in plain
// words for the user.
struct FileReadResult : Outcome {
    bool missing = false;  // there was no such file
    std::string bytes;     // what was read; after a read error part way, the bytes before it
};

enum class IfMissing { Leave, CreateEmpty };

// Every file the program reads is read through this reader. It opens without waiting (a FIFO
// without a writer does not block), looks at what it opened and reads only ordinary files: a
// folder, a FIFO, a socket or a device is reported as Incomplete without a single read, with
// the reason as the problem (the texts are in resources/FixedStrings.h).

// Reads a whole file into memory.
// A missing file is created empty when asked (it is then still reported missing). Never
// throws: a file larger than the memory can hold is not ok, with no bytes.
FileReadResult ReadWholeFile(const std::string& path, IfMissing ifMissing);

// An ordinary file read a piece at a time, opened with the checks of ReadWholeFile: a folder, a
// FIFO or a device is Incomplete without a single read; a missing file is created empty when
// asked and reports Missing.
class FileReadStream {
public:
    FileReadStream(const std::string& path, IfMissing ifMissing);
    ~FileReadStream();
    FileReadStream(const FileReadStream&) = delete;
    FileReadStream& operator=(const FileReadStream&) = delete;

    // Whole while the file reads well; Missing or Incomplete (with `Problem()`) otherwise.
    ReadStatus Status() const { return m_status; }
    const std::string& Problem() const { return m_problem; }

    // The file's size when it was opened.
    std::size_t SizeAtOpen() const { return m_size; }

    // Reads `size` bytes, fewer only at the end of the file or at a read error, which makes the
    // status Incomplete; 0 once the file is read to its end.
    std::size_t Read(char* to, std::size_t size);

private:
    int m_fd = -1;
    ReadStatus m_status = ReadStatus::Whole;
    std::string m_problem;
    std::size_t m_size = 0;
};

// What CopyFileTo did.
// When not ok, `problem` is the reader's words or the write's error.
struct CopyResult : Outcome {
    bool inReading = false;  // when not ok: the reading failed, not the writing
};

// Copies the ordinary file at `from` to the open descriptor `to` a piece at a time, read
// through FileReadStream (a missing file, a folder, a FIFO or a device is a failure of the
// reading). The caller owns `to`, and removes what it wrote when the copy failed.
CopyResult CopyFileTo(const std::string& from, int to);

// The read(2) the reader calls; tests put in one that fails part way.
using ReadFunction = ssize_t (*)(int fd, void* buffer, std::size_t size);
void SetReadFunctionForTesting(ReadFunction read);  // nullptr restores the system's
