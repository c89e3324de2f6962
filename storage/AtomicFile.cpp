#include "storage/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dirent.h>

#include "resources/FixedStrings.h"

namespace {

// Writes are gathered up to this size before they go to the file.
constexpr std::size_t kBufferSize = 64 * 1024;

// Past this many bytes a file is written around the system's file cache, straight from the
// program's memory to the disk, a block of kDirectBlockSize at a time. Through the cache, every
// byte is first copied into memory the system has to find and clear for it, which for a large
// collection costs more than the disk's own writing, and that copy would also push other files
// out of the cache. Smaller files go through the cache as usual.
constexpr std::size_t kDefaultDirectFrom = std::size_t{8} << 20;
std::size_t directFrom = kDefaultDirectFrom;
constexpr std::size_t kDirectBlockSize = std::size_t{1} << 20;
// What writes around the cache must be aligned to, in memory, in size and in the file: the
// largest logical block of a disk, and a memory page.
constexpr std::size_t kDirectAlignment = 4096;

// Symbolic links followed before a target counts as a loop, as the kernel does.
constexpr int kMaxLinks = 40;

std::string ErrorText(int error) { return std::strerror(error); }

std::string DirectoryOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file that a path names once every symbolic link on its last part has been followed. A
// link whose target does not exist yet resolves to that target, which a save then creates.
bool ResolveLinks(std::string& path, std::string& error)
{
    for (int hops = 0; hops <= kMaxLinks; ++hops) {
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return true;
        // Some links report no size; a result that fills the buffer may have been cut short.
        const auto size = std::max<std::size_t>(static_cast<std::size_t>(st.st_size), 4096);
        std::string target(size + 1, '\0');
        const ssize_t n = readlink(path.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<std::size_t>(n) == target.size()) {
            error = strings::Fill(strings::kCannotReadLink, {path, n < 0 ? ErrorText(errno) : std::string(strings::kLinkTooLong)});
            return false;
        }
        target.resize(static_cast<std::size_t>(n));
        path = (target.starts_with('/') ? "" : DirectoryOf(path) + "/") + target;
    }
    error = strings::Fill(strings::kTooManyLinks, {path});
    return false;
}

constexpr char kTemporaryDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kTemporarySuffixLength = 8;
constexpr std::string_view kTemporaryExtension = ".tmp";

// A name that no other save of this process has used; O_EXCL rules out the rest.
std::string TemporaryName(const std::string& target)
{
    static std::atomic<unsigned> counter{0};
    auto seed = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    seed ^= static_cast<unsigned long long>(getpid()) << 32;
    seed += 0x9E3779B97F4A7C15ULL * ++counter;
    std::string suffix;
    for (std::size_t i = 0; i < kTemporarySuffixLength; ++i) {
        suffix += kTemporaryDigits[seed % 36];
        seed /= 36;
    }
    return DirectoryOf(target) + "/." + BaseNameOf(target) + "." + suffix +
           std::string(kTemporaryExtension);
}

// True when `name` is exactly what TemporaryName makes for a file called `base`.
bool IsTemporaryNameOf(std::string_view name, std::string_view base)
{
    const std::size_t size = 1 + base.size() + 1 + kTemporarySuffixLength + kTemporaryExtension.size();
    if (name.size() != size || name[0] != '.' || name.substr(1, base.size()) != base ||
        name[1 + base.size()] != '.' || !name.ends_with(kTemporaryExtension))
        return false;
    const std::string_view suffix = name.substr(2 + base.size(), kTemporarySuffixLength);
    return suffix.find_first_not_of(kTemporaryDigits) == std::string_view::npos;
}

bool WriteAll(int fd, const char* data, std::size_t size, int& error)
{
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

struct AtomicFile::State {
    std::string target;     // the file to replace, links resolved
    std::string temporary;  // empty when none exists
    std::string openError;
    std::string buffer;
    int fd = -1;
    int writeError = 0;  // the first errno of a failed write
    bool committed = false;
    std::size_t written = 0;  // bytes handed to the system so far
    // Writing around the cache: the block being gathered, aligned, and how much of it is used;
    // null while the file goes through the cache.
    char* direct = nullptr;
    std::size_t directUsed = 0;
    bool directTried = false;  // once tried, whether or not the file system took it

    void Put(const char* data, std::size_t size)
    {
        if (writeError == 0 && WriteAll(fd, data, size, writeError))
            written += size;
    }

    void Flush()
    {
        if (!buffer.empty())
            Put(buffer.data(), buffer.size());
        buffer.clear();
    }

    // Goes over to writing around the cache once the file has grown past directFrom, at a
    // place in the file where the blocks are aligned. Takes from `bytes` what goes through the
    // cache first to reach that place. Where the file system does not write around its cache,
    // nothing changes.
    void MaybeGoDirect(std::string_view& bytes)
    {
        if (directTried || writeError != 0 || written + buffer.size() + bytes.size() < directFrom)
            return;
        const std::size_t toAlign = (kDirectAlignment - (written + buffer.size()) % kDirectAlignment) % kDirectAlignment;
        if (bytes.size() < toAlign)
            return;
        buffer.append(bytes.substr(0, toAlign));
        bytes.remove_prefix(toAlign);
        Flush();
        directTried = true;
        if (writeError != 0)
            return;
        char* block = static_cast<char*>(std::aligned_alloc(kDirectAlignment, kDirectBlockSize));
        const int flags = block ? fcntl(fd, F_GETFL) : -1;
        if (flags < 0 || fcntl(fd, F_SETFL, flags | O_DIRECT) != 0) {
            std::free(block);
            return;
        }
        direct = block;
    }

    void WriteDirect(std::string_view bytes)
    {
        while (!bytes.empty() && direct) {
            const std::size_t n = std::min(bytes.size(), kDirectBlockSize - directUsed);
            std::memcpy(direct + directUsed, bytes.data(), n);
            directUsed += n;
            bytes.remove_prefix(n);
            if (directUsed == kDirectBlockSize)
                FlushDirect();
        }
        if (!bytes.empty())  // went back to the cache part way
            Put(bytes.data(), bytes.size());
    }

    // Writes the whole aligned blocks gathered; what is left of the last stays for the next.
    void FlushDirect()
    {
        const std::size_t whole = directUsed - directUsed % kDirectAlignment;
        std::size_t done = 0;
        while (done < whole && writeError == 0) {
            const ssize_t n = write(fd, direct + done, whole - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EINVAL) {
                writeError = errno;
                break;
            }
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                written += static_cast<std::size_t>(n);
            }
            // Refused as unaligned for this disk, or cut short of a whole block: the cache
            // takes it from here.
            if (n <= 0 || static_cast<std::size_t>(n) % kDirectAlignment != 0) {
                std::memmove(direct, direct + done, directUsed - done);
                directUsed -= done;
                LeaveDirect();
                return;
            }
        }
        std::memmove(direct, direct + whole, directUsed - whole);
        directUsed -= whole;
    }

    // Back to writing through the cache, with what was gathered for the next block.
    void LeaveDirect()
    {
        if (direct) {
            const int flags = fcntl(fd, F_GETFL);
            if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_DIRECT) != 0) {
                if (writeError == 0)
                    writeError = errno;
            }
            Put(direct, directUsed);
            std::free(direct);
        }
        direct = nullptr;
        directUsed = 0;
    }

    void Discard()
    {
        std::free(direct);
        direct = nullptr;
        directUsed = 0;
        if (fd >= 0)
            close(fd);
        fd = -1;
        if (!temporary.empty())
            unlink(temporary.c_str());
        temporary.clear();
    }

    Outcome Fail(std::string why)
    {
        Discard();
        return Outcome::Failed(std::move(why));
    }
};

AtomicFile::AtomicFile(std::string path)
    : m_state(new State)
{
    State& s = *m_state;
    s.target = std::move(path);
    if (!ResolveLinks(s.target, s.openError))
        return;

    struct stat st {};
    const bool exists = stat(s.target.c_str(), &st) == 0;
    if (exists) {
        if (S_ISDIR(st.st_mode)) {
            s.openError = strings::Fill(strings::kIsAFolder, {s.target});
            return;
        }
        if (!S_ISREG(st.st_mode)) {
            s.openError = strings::Fill(strings::kNotAnOrdinaryFile, {s.target});
            return;
        }
        // The mode bits: root may write anything, yet a file the user marked read-only must
        // stay as it is.
        if ((st.st_mode & S_IWUSR) == 0) {
            s.openError = strings::Fill(strings::kIsReadOnly, {s.target});
            return;
        }
        // And the rights of the user who saves: a rename needs only the folder's permission,
        // so without this check another user's file would be replaced.
        if (faccessat(AT_FDCWD, s.target.c_str(), W_OK, AT_EACCESS) != 0) {
            s.openError = strings::Fill(strings::kMayNotWrite, {s.target, ErrorText(errno)});
            return;
        }
    }

    // A new file gets 0666 less the umask, as any file the program creates; an existing
    // file's permissions are set once the temporary file exists, before anything is written.
    const mode_t createMode = exists ? S_IRUSR | S_IWUSR : 0666;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = TemporaryName(s.target);
        s.fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, createMode);
        if (s.fd >= 0) {
            s.temporary = std::move(name);
            break;
        }
        if (errno != EEXIST) {
            s.openError = strings::Fill(strings::kCannotCreateTemporary, {DirectoryOf(s.target), ErrorText(errno)});
            return;
        }
    }
    if (s.fd < 0) {
        s.openError = strings::Fill(strings::kNoTemporaryName, {DirectoryOf(s.target)});
        return;
    }
    if (exists) {
        if (fchmod(s.fd, st.st_mode & 07777) != 0) {
            s.openError = strings::Fill(strings::kCannotSetPermissions, {s.temporary, ErrorText(errno)});
            s.Discard();
            return;
        }
        // Keeps the owner when root saves another user's file; elsewhere this may be refused,
        // and the file then belongs to whoever saved it.
        if (st.st_uid != geteuid() || st.st_gid != getegid())
            (void)!fchown(s.fd, st.st_uid, st.st_gid);
    }
    s.buffer.reserve(kBufferSize);
}

AtomicFile::~AtomicFile()
{
    m_state->Discard();
    delete m_state;
}

bool AtomicFile::IsOpen() const { return m_state->fd >= 0; }

const std::string& AtomicFile::OpenError() const { return m_state->openError; }

void AtomicFile::Write(std::string_view bytes)
{
    State& s = *m_state;
    if (s.fd < 0 || s.writeError != 0)
        return;
    if (s.direct) {
        s.WriteDirect(bytes);
        return;
    }
    s.MaybeGoDirect(bytes);
    if (s.direct) {
        s.WriteDirect(bytes);
        return;
    }
    if (s.buffer.size() + bytes.size() <= kBufferSize) {
        s.buffer.append(bytes);
        return;
    }
    s.Flush();
    if (bytes.size() < kBufferSize)
        s.buffer.append(bytes);
    else
        s.Put(bytes.data(), bytes.size());
}

Outcome AtomicFile::Commit()
{
    State& s = *m_state;
    if (s.committed)
        return Outcome::Failed(std::string(strings::kAlreadyCommitted));
    if (s.fd < 0)
        return Outcome::Failed(s.openError.empty() ? std::string(strings::kNotOpen) : s.openError);

    s.Flush();
    if (s.direct) {
        s.FlushDirect();
        s.LeaveDirect();  // the last, partial block
    }
    if (s.writeError != 0)
        return s.Fail(strings::Fill(strings::kCannotWrite, {s.temporary, ErrorText(s.writeError)}));
    if (fsync(s.fd) != 0)
        return s.Fail(strings::Fill(strings::kCannotSync, {s.temporary, ErrorText(errno)}));
    const int fd = s.fd;
    s.fd = -1;
    if (close(fd) != 0)
        return s.Fail(strings::Fill(strings::kCannotClose, {s.temporary, ErrorText(errno)}));
    if (rename(s.temporary.c_str(), s.target.c_str()) != 0)
        return s.Fail(strings::Fill(strings::kCannotRename, {s.temporary, s.target, ErrorText(errno)}));
    s.temporary.clear();
    s.committed = true;

    // Makes the rename itself durable. The new file is in place by now, so a failure here is
    // not reported: there is no old file left to keep.
    const int dir = open(DirectoryOf(s.target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return {};
}

Outcome WriteFileAtomically(const std::string& path, std::string_view bytes)
{
    AtomicFile file(path);
    if (!file.IsOpen())
        return Outcome::Failed(file.OpenError());
    file.Write(bytes);
    return file.Commit();
}

void SetDirectWritesFromForTesting(std::size_t size)
{
    directFrom = size == 0 ? kDefaultDirectFrom : size;
}

int RemoveInterruptedSaves(const std::string& folder, const std::vector<std::string>& baseNames)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return 0;
    int removed = 0;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name = entry->d_name;
        const bool ours = std::any_of(baseNames.begin(), baseNames.end(), [&](const std::string& base) {
            return !base.empty() && IsTemporaryNameOf(name, base);
        });
        if (!ours)
            continue;
        // Only ordinary files: a link or folder of that name is not one of ours.
        struct stat st {};
        if (fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            unlinkat(dirfd(dir), entry->d_name, 0) == 0)
            ++removed;
    }
    closedir(dir);
    return removed;
}
