#include "storage/FileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>

#include "records/LargePages.h"
#include "resources/FixedStrings.h"

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
        return std::string(strings::kReadNotAllowed) + " (" + std::strerror(error) + ")";
    case ENOMEM:
        return std::string(strings::kReadTooLarge);
    case EISDIR:
        return std::string(strings::kReadFolder);
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
        problem = strings::kReadFolder;
    else if (!S_ISREG(st.st_mode))
        problem = strings::kReadNotOrdinary;
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
    return std::string(strings::kReadErrorPartWay) + " (" + std::strerror(error) + ")";
}

}  // namespace

FileReadResult ReadWholeFile(const std::string& path, IfMissing ifMissing)
{
    FileReadResult result;
    FileReadStream file(path, ifMissing);
    try {
        // Room for the size the file has now, read straight into place, and a piece more, so
        // that the read that finds the end needs no second buffer; a file that has grown since
        // gets more room as it is read.
        constexpr std::size_t kPiece = 64 * 1024;
        std::size_t got = 0;
        ReserveWithLargePages(result.bytes, file.SizeAtOpen() + kPiece);
        for (;;) {
            if (got == result.bytes.size())
                result.bytes.resize(std::max(result.bytes.capacity(), got + kPiece));
            const std::size_t n = file.Read(result.bytes.data() + got, result.bytes.size() - got);
            got += n;
            if (n == 0 || got < result.bytes.size())
                break;  // the end of the file, or a read error
        }
        result.bytes.resize(got);
    } catch (const std::exception&) {  // std::bad_alloc or std::length_error
        result.bytes = std::string();
        result.Fail(Explain(ENOMEM));
        return result;
    }
    if (file.Status() == ReadStatus::Incomplete)
        result.Fail(file.Problem());
    result.missing = file.Status() == ReadStatus::Missing;
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
    // Every read of the program's files comes through this loop.
    std::size_t got = 0;
    while (m_fd >= 0 && got < size) {
        const ssize_t n = ReadSome(m_fd, to + got, size - got);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            m_status = ReadStatus::Incomplete;
            m_problem = ReadErrorProblem(errno);
        }
        ::close(m_fd);
        m_fd = -1;
    }
    return got;
}

CopyResult CopyFileTo(const std::string& from, int to)
{
    CopyResult result;
    FileReadStream in(from, IfMissing::Leave);
    if (in.Status() != ReadStatus::Whole) {
        result.Fail(in.Status() == ReadStatus::Missing ? std::string(strings::kReadMissing) : in.Problem());
        result.inReading = true;
        return result;
    }
    char piece[64 * 1024];
    for (std::size_t size; (size = in.Read(piece, sizeof piece)) > 0;) {
        for (std::size_t done = 0; done < size;) {
            const ssize_t n = ::write(to, piece + done, size - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                result.Fail(std::strerror(n < 0 ? errno : EIO));
                return result;
            }
            done += static_cast<std::size_t>(n);
        }
    }
    if (in.Status() != ReadStatus::Whole) {
        result.Fail(in.Problem());
        result.inReading = true;
    }
    return result;
}
