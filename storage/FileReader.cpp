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

namespace {

// Opens an ordinary file for reading, with the checks both readers make. Returns the descriptor,
// or -1 with `status` and `problem` set.
int OpenForReading(const std::string& path, IfMissing ifMissing, ReadStatus& status, std::string& problem,
                   std::size_t& size)
{
    // Non-blocking, so that opening a FIFO does not wait for a writer that never comes; the
    // flag is cleared again once the file is known to be an ordinary one.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        status = ReadStatus::Missing;
        if (ifMissing == IfMissing::CreateEmpty) {
            const int created = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
            if (created >= 0)
                ::close(created);
        }
        return -1;
    }
    status = ReadStatus::Incomplete;
    if (fd < 0) {
        problem = Explain(errno);
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        problem = Explain(errno);
    else if (S_ISDIR(st.st_mode))
        problem = "it is a folder, not a file";
    else if (!S_ISREG(st.st_mode))
        problem = "it is not an ordinary file (a pipe, a socket or a device)";
    if (!problem.empty()) {
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    status = ReadStatus::Whole;
    size = st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
    return fd;
}

std::string ReadErrorProblem(int error)
{
    return "a read error stopped the reading part way through (" + std::string(std::strerror(error)) + ")";
}

}  // namespace

FileReadResult ReadWholeFile(const std::string& path, IfMissing ifMissing)
{
    FileReadResult result;
    auto fail = [&result](std::string why) {
        result.status = ReadStatus::Incomplete;
        result.problem = std::move(why);
        return std::move(result);
    };

    std::size_t fileSize = 0;
    const int fd = OpenForReading(path, ifMissing, result.status, result.problem, fileSize);
    if (fd < 0)
        return result;
    FdCloser closer(fd);

    try {
        // The size the file has now is read straight into place; whatever it has grown by
        // since is read after it.
        std::size_t got = 0;
        if (fileSize > 0) {
            const std::size_t size = fileSize;
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
                    return fail(ReadErrorProblem(error));
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
                return fail(ReadErrorProblem(errno));
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

FileReadStream::FileReadStream(const std::string& path, IfMissing ifMissing)
{
    m_fd = OpenForReading(path, ifMissing, m_status, m_problem, m_size);
}

FileReadStream::~FileReadStream()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::size_t FileReadStream::Read(char* to, std::size_t size)
{
    if (m_fd < 0 || size == 0)
        return 0;
    for (;;) {
        const ssize_t n = ReadSome(m_fd, to, size);
        if (n > 0)
            return static_cast<std::size_t>(n);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            m_status = ReadStatus::Incomplete;
            m_problem = ReadErrorProblem(errno);
        }
        ::close(m_fd);
        m_fd = -1;
        return 0;
    }
}
