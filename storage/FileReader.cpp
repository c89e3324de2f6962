#include "storage/FileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>

#include "records/LargePages.h"

namespace {

ReadFunction g_read = nullptr;

ssize_t ReadSome(int fd, void* buffer, std::size_t size)
{
    return g_read ? g_read(fd, buffer, size) : ::read(fd, buffer, size);
}

// The reason for an errno, in words for the collector rather than the programmer.
std::string Explain(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return "you are not allowed to read it (" + std::string(std::strerror(error)) + ")";
    case ENOMEM:
        return "it is larger than the memory can hold";
    case EISDIR:
        return "it is a folder, not a file";
    default:
        return std::strerror(error);
    }
}

class FdCloser {
public:
    explicit FdCloser(int fd) : m_fd(fd) {}
    ~FdCloser() { ::close(m_fd); }
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;

private:
    int m_fd;
};

}  // namespace

void SetReadFunctionForTesting(ReadFunction read) { g_read = read; }

FileReadResult ReadWholeFile(const std::string& path, IfMissing ifMissing)
{
    FileReadResult result;
    auto fail = [&result](std::string why) {
        result.status = ReadStatus::Incomplete;
        result.problem = std::move(why);
        return std::move(result);
    };

    // Non-blocking, so that opening a FIFO does not wait for a writer that never comes; the
    // flag is cleared again once the file is known to be an ordinary one.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        result.status = ReadStatus::Missing;
        if (ifMissing == IfMissing::CreateEmpty) {
            const int created = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
            if (created >= 0)
                ::close(created);
        }
        return result;
    }
    if (fd < 0)
        return fail(Explain(errno));
    FdCloser closer(fd);

    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return fail(Explain(errno));
    if (S_ISDIR(st.st_mode))
        return fail("it is a folder, not a file");
    if (!S_ISREG(st.st_mode))
        return fail("it is not an ordinary file (a pipe, a socket or a device)");
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);

    try {
        // The size the file has now is read straight into place; whatever it has grown by
        // since is read after it.
        std::size_t got = 0;
        if (st.st_size > 0) {
            const auto size = static_cast<std::size_t>(st.st_size);
            result.bytes.reserve(size);
            AdviseLargePages(result.bytes.data(), size);
            result.bytes.resize(size);
            while (got < size) {
                const ssize_t n = ReadSome(fd, result.bytes.data() + got, size - got);
                if (n == 0)
                    break;
                if (n < 0) {
                    if (errno == EINTR)
                        continue;
                    const int error = errno;
                    result.bytes.resize(got);
                    return fail("a read error stopped the reading part way through (" +
                                std::string(std::strerror(error)) + ")");
                }
                got += static_cast<std::size_t>(n);
            }
            result.bytes.resize(got);
            if (got < size)
                return result;  // the file was shorter by now
        }
        char chunk[64 * 1024];
        for (;;) {
            const ssize_t n = ReadSome(fd, chunk, sizeof chunk);
            if (n == 0)
                break;
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return fail("a read error stopped the reading part way through (" +
                            std::string(std::strerror(errno)) + ")");
            }
            result.bytes.append(chunk, static_cast<std::size_t>(n));
        }
    } catch (const std::bad_alloc&) {
        result.bytes = std::string();
        return fail(Explain(ENOMEM));
    } catch (const std::length_error&) {
        result.bytes = std::string();
        return fail(Explain(ENOMEM));
    }
    return result;
}
