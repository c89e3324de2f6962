#pragma once

// A read error part way through a file, for the core and the window tests: while a guard lives,
// the whole-file reader gets the first `readable` bytes of a file and then EIO.

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>

#include "storage/FileReader.h"

inline std::size_t g_readable = 0;

inline ssize_t FailingRead(int fd, void* buffer, std::size_t size)
{
    if (g_readable == 0) {
        errno = EIO;
        return -1;
    }
    const ssize_t n = ::read(fd, buffer, std::min(size, g_readable));
    g_readable -= n > 0 ? static_cast<std::size_t>(n) : 0;
    return n;
}

struct ReadFaultGuard {
    explicit ReadFaultGuard(std::size_t readable) { g_readable = readable, SetReadFunctionForTesting(FailingRead); }
    ~ReadFaultGuard() { SetReadFunctionForTesting(nullptr); }
    ReadFaultGuard(const ReadFaultGuard&) = delete;
    ReadFaultGuard& operator=(const ReadFaultGuard&) = delete;
};
