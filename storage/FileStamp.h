#pragma once

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

// A 64-bit hash of bytes fed in pieces of any size: the same bytes give the same value however
// they are cut. It notices that a file's contents changed; it is no defence against someone who
// wants two contents to look alike.
class ContentHash {
public:
    ContentHash();
    void Add(std::string_view bytes);
    std::uint64_t Value() const;

private:
    void Stripe(const unsigned char* stripe);

    std::uint64_t m_lanes[4];
    unsigned char m_pending[32];
    std::size_t m_pendingSize = 0;
    std::uint64_t m_total = 0;
};

// What a file on disk was when this program last read or wrote it: enough to tell later
// whether another program has written it since.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    // A rewrite in place that keeps the size and lands within the same tick of the file
    // system's clock leaves all of the above as it was. Where the modification time is that
    // close to the moment the stamp was taken, the stamp holds a hash of the bytes as well.
    bool hashed = false;
    std::uint64_t hash = 0;
    // The file changed while it was being read: what was read is not what is on disk.
    bool changedWhileRead = false;
};

enum class FileChange {
    Unchanged,  // the file is the one stamped, or nothing can be told (the save then reports)
    Changed,    // another program wrote, replaced or created it since the stamp
    Vanished,   // it was there and is gone
};

// Modification times at most this far before the stamp's moment are not trusted to change on
// the next write: FAT keeps them to 2 s, and other file systems take them from a coarse clock.
inline constexpr std::time_t kUntrustedSeconds = 3;

// Whether a file modified at `modified` is that recent now.
bool TooRecentToTrust(const timespec& modified);

// The file at `path` as it is now, following symbolic links; with `hashWhenRecent`, a hash is
// taken when the modification time is too recent to trust. A file that does not exist gives a
// stamp with `exists` false. Never throws.
FileStamp StampFile(const std::string& path, bool hashWhenRecent = true);

// Whether two stamps describe the same file as far as their looks tell (not their hashes).
bool SameLooks(const FileStamp& a, const FileStamp& b);

// The same for a file this program has just written with the bytes whose hash is given, so
// that the file need not be read again.
FileStamp StampWrittenFile(const std::string& path, std::uint64_t writtenHash);

// The same for a file just read whole, whose bytes hash to `readHash` (null when they were not
// hashed as they were read), and that looked as `before` when the reading began: the file is
// read again only when a hash is needed and none was taken, or it changed in the meantime.
FileStamp StampReadFile(const std::string& path, const FileStamp& before, const ContentHash* readHash);

// Whether the file at `path` is still the one `stamp` describes. Reads the file only when the
// stamp holds a hash and everything else agrees. A file that cannot be looked at (a folder
// without search permission) counts as Unchanged: the save that follows says why it fails.
FileChange CompareWithStamp(const std::string& path, const FileStamp& stamp);

// The hash of a whole file's bytes; false when it cannot be read whole.
bool HashFile(const std::string& path, std::uint64_t& hash);
