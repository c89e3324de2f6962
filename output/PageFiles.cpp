#include "output/PageFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "storage/AtomicFile.h"
#include "storage/TextEncoding.h"

namespace {

// Closes a file descriptor when it goes out of scope.
class FdGuard {
public:
    explicit FdGuard(int fd) : m_fd(fd) {}
    ~FdGuard()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;

private:
    int m_fd;
};

}  // namespace

std::optional<std::string> ReadTemplate(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT)
            return std::nullopt;
        // A missing template is made, empty, so that the user finds a file to fill in.
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0)
            return std::nullopt;
        ::close(fd);
        return std::string();
    }
    FdGuard guard(fd);

    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode))
        return std::nullopt;

    std::string bytes;
    if (S_ISREG(info.st_mode) && info.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;  // end of file, or a read error: the template is what was read so far
        bytes.append(buffer, static_cast<std::size_t>(n));
    }

    // Templates written for the Windows program are in its code page; UTF-8 ones stay byte for
    // byte as they are, a byte order mark and CR LF line ends included.
    if (!IsValidUtf8(bytes))
        return Windows1252ToUtf8(bytes);
    return bytes;
}

SaveResult WritePage(const std::string& path, std::string_view page)
{
    return WriteFileAtomically(path, page);
}
