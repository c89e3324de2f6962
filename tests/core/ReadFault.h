#pragma once

// A read error part way through a file, for the core and the window tests: while a guard lives,
// the reader gets the bytes of a file before offset `readable`, and EIO for a read from there
// on. It goes by the offset, so that parts of one file read at once fail where the file does.

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>

#include "storage/FileReader.h"

inline std::size_t g_readable = 0;

inline ssize_t FailingRead(int fd, void* buffer, std::size_t size)
{
    const off_t at = ::lseek(fd, 0, SEEK_CUR);
    if (at >= 0 && static_cast<std::size_t>(at) >= g_readable) {
        errno = EIO;
        return -1;
    }
    const std::size_t left = at >= 0 ? g_readable - static_cast<std::size_t>(at) : size;
    return ::read(fd, buffer, std::min(size, left));
}

struct ReadFaultGuard {
    explicit ReadFaultGuard(std::size_t readable) { g_readable = readable, SetReadFunctionForTesting(FailingRead); }
    ~ReadFaultGuard() { SetReadFunctionForTesting(nullptr); }
    ReadFaultGuard(const ReadFaultGuard&) = delete;
    ReadFaultGuard& operator=(const ReadFaultGuard&) = delete;
};
