#include "storage/FileStamp.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "storage/FileReader.h"

namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;
constexpr std::uint64_t kPrime3 = 0x165667B19E3779F9ULL;
constexpr std::uint64_t kPrime4 = 0x85EBCA77C2B2AE63ULL;
constexpr std::uint64_t kPrime5 = 0x27D4EB2F165667C5ULL;

std::uint64_t RotateLeft(std::uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }

std::uint64_t Word(const unsigned char* p)
{
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

std::uint64_t Round(std::uint64_t lane, std::uint64_t word)
{
    return RotateLeft(lane + word * kPrime2, 31) * kPrime1;
}

std::uint64_t Merge(std::uint64_t hash, std::uint64_t lane)
{
    return (hash ^ Round(0, lane)) * kPrime1 + kPrime4;
}

bool SameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

FileStamp FromStat(const struct stat& st)
{
    FileStamp stamp;
    stamp.exists = true;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.modified = st.st_mtim;
    return stamp;
}

}  // namespace

// Whether a write after now could leave the modification time `modified` as it is.
bool TooRecentToTrust(const timespec& modified)
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return modified.tv_sec + kUntrustedSeconds >= now.tv_sec;
}

ContentHash::ContentHash()
    : m_lanes{kPrime1 + kPrime2, kPrime2, 0, 0 - kPrime1}
{
}

void ContentHash::Stripe(const unsigned char* stripe)
{
    for (int i = 0; i < 4; ++i)
        m_lanes[i] = Round(m_lanes[i], Word(stripe + 8 * i));
}

void ContentHash::Add(std::string_view bytes)
{
    auto p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t n = bytes.size();
    m_total += n;
    if (m_pendingSize > 0) {
        const std::size_t take = std::min(n, sizeof m_pending - m_pendingSize);
        std::memcpy(m_pending + m_pendingSize, p, take);
        m_pendingSize += take, p += take, n -= take;
        if (m_pendingSize < sizeof m_pending)
            return;
        Stripe(m_pending);
        m_pendingSize = 0;
    }
    for (; n >= sizeof m_pending; p += sizeof m_pending, n -= sizeof m_pending)
        Stripe(p);
    std::memcpy(m_pending, p, n);
    m_pendingSize = n;
}

std::uint64_t ContentHash::Value() const
{
    std::uint64_t h = m_total >= sizeof m_pending
                          ? RotateLeft(m_lanes[0], 1) + RotateLeft(m_lanes[1], 7) +
                                RotateLeft(m_lanes[2], 12) + RotateLeft(m_lanes[3], 18)
                          : m_lanes[2] + kPrime5;
    if (m_total >= sizeof m_pending)
        for (std::uint64_t lane : m_lanes)
            h = Merge(h, lane);
    h += m_total;
    const unsigned char* p = m_pending;
    std::size_t n = m_pendingSize;
    for (; n >= 8; p += 8, n -= 8)
        h = RotateLeft(h ^ Round(0, Word(p)), 27) * kPrime1 + kPrime4;
    for (; n > 0; ++p, --n)
        h = RotateLeft(h ^ (*p * kPrime5), 11) * kPrime1;
    h ^= h >> 33;
    h *= kPrime2;
    h ^= h >> 29;
    h *= kPrime3;
    h ^= h >> 32;
    return h;
}

bool HashFile(const std::string& path, std::uint64_t& hash)
{
    FileReadStream in(path, IfMissing::Leave);
    if (in.Status() != ReadStatus::Whole)
        return false;
    constexpr std::size_t kChunk = 1 << 20;
    const auto buffer = std::make_unique<char[]>(kChunk);
    ContentHash content;
    while (const std::size_t n = in.Read(buffer.get(), kChunk))
        content.Add({buffer.get(), n});
    if (in.Status() != ReadStatus::Whole)
        return false;
    hash = content.Value();
    return true;
}

bool SameLooks(const FileStamp& a, const FileStamp& b)
{
    return a.exists == b.exists && a.device == b.device && a.inode == b.inode && a.size == b.size &&
           SameTime(a.modified, b.modified);
}

FileStamp StampFile(const std::string& path, bool hashWhenRecent)
{
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return {};
    FileStamp stamp = FromStat(st);
    if (hashWhenRecent && TooRecentToTrust(stamp.modified)) {
        stamp.hashed = HashFile(path, stamp.hash);
        // The file changed between the look and the reading: the hash is of another file.
        struct stat after {};
        if (stamp.hashed && (stat(path.c_str(), &after) != 0 || !SameLooks(FromStat(after), stamp)))
            stamp.changedWhileRead = true;
    }
    return stamp;
}

FileStamp StampWrittenFile(const std::string& path, std::uint64_t writtenHash)
{
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return {};
    FileStamp stamp = FromStat(st);
    if (TooRecentToTrust(stamp.modified)) {
        stamp.hashed = true;
        stamp.hash = writtenHash;
    }
    return stamp;
}

FileStamp StampReadFile(const std::string& path, const FileStamp& before, const ContentHash* readHash)
{
    if (!readHash)
        return StampFile(path);
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return {};
    FileStamp stamp = FromStat(st);
    if (!SameLooks(stamp, before))
        return StampFile(path);
    if (TooRecentToTrust(stamp.modified)) {
        stamp.hashed = true;
        stamp.hash = readHash->Value();
    }
    return stamp;
}

FileChange CompareWithStamp(const std::string& path, const FileStamp& stamp)
{
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT && errno != ENOTDIR)
            return FileChange::Unchanged;
        return stamp.exists ? FileChange::Vanished : FileChange::Unchanged;
    }
    if (!stamp.exists || stamp.changedWhileRead)
        return FileChange::Changed;
    if (!SameLooks(FromStat(st), stamp))
        return FileChange::Changed;
    if (!stamp.hashed)
        return FileChange::Unchanged;
    std::uint64_t now = 0;
    return HashFile(path, now) && now == stamp.hash ? FileChange::Unchanged : FileChange::Changed;
}
