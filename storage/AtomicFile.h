#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "storage/Outcome.h"

// Replaces a file safely: the new contents go to a temporary file in the same folder, which is
// flushed, synced and renamed over the target only when everything was written. Any failure
// leaves the old file byte for byte as it was and no temporary file behind. A target that is
// marked read-only (no owner write bit), or that the saving user may not write, is refused,
// since a rename would replace it anyway. The old file's permission bits are kept, and its owner
// and group where the process may set them; when the target is a symbolic link, the file it
// points to is replaced and the link stays.
class AtomicFile {
public:
    explicit AtomicFile(std::string path);
    ~AtomicFile();  // discards the temporary file unless Commit succeeded

    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // False when the temporary file could not be created or the target is read-only;
    // OpenError() then says why.
    bool IsOpen() const;
    const std::string& OpenError() const;

    // Appends bytes as they are. A write error is remembered and reported by Commit.
    void Write(std::string_view bytes);

    // Flushes, syncs and renames the temporary file over the target.
    Outcome Commit();

private:
    struct State;
    State* m_state;
};

// How large a file grows before the rest of it is written around the system's file cache;
// tests make it small. 0 restores the size used otherwise.
void SetDirectWritesFromForTesting(std::size_t size);

// Writes `bytes` to `path` through an AtomicFile.
Outcome WriteFileAtomically(const std::string& path, std::string_view bytes);

// Removes what interrupted saves left behind: the temporary files of the named files (base names
// such as "nmr.dat") in `folder`, when a save was killed between creating its temporary file and
// the rename. Only ordinary files whose names follow the temporary naming exactly are removed;
// the caller must be sure that no save into that folder is under way. Returns how many went.
int RemoveInterruptedSaves(const std::string& folder, const std::vector<std::string>& baseNames);
