#include "storage/FileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>

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

}  // namespace

void SetReadFunctionForTesting(ReadFunction read) { g_read = read; }

namespace {

// Opens an ordinary file for reading, after the checks every read makes. Returns the descriptor,
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
    FileReadStream file(path, ifMissing);
    try {
        // The size the file has now is read straight into place; whatever it has grown by
        // since is read after it.
        const std::size_t size = file.SizeAtOpen();
        std::size_t got = 0;
        if (size > 0) {
            result.bytes.reserve(size);
            AdviseLargePages(result.bytes.data(), size);
            result.bytes.resize(size);
            while (got < size) {
                const std::size_t n = file.Read(result.bytes.data() + got, size - got);
                if (n == 0)
                    break;
                got += n;
            }
            result.bytes.resize(got);
        }
        if (got == size) {  // else the file was shorter by now, or a read failed
            char chunk[64 * 1024];
            for (std::size_t n; (n = file.Read(chunk, sizeof chunk)) > 0;)
                result.bytes.append(chunk, n);
        }
    } catch (const std::exception&) {  // std::bad_alloc or std::length_error
        result.bytes = std::string();
        result.status = ReadStatus::Incomplete;
        result.problem = Explain(ENOMEM);
        return result;
    }
    result.status = file.Status();
    result.problem = file.Problem();
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
