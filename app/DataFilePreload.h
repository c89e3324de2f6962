#pragma once

#include <string>

#include "storage/DataFile.h"

// Reads the data file on a thread of its own while the toolkit starts and the window is made,
// so that on a machine with a second core the two take the time of the longer one. The
// window takes the result where it would have read the file; where nothing was started (the
// tests, which make the window themselves) or for another file, it reads the file then.
class DataFilePreload {
public:
    // Starts reading `path` (relative to the current folder, which must not change before
    // Take). Where no thread can be started, nothing is started.
    static void Start(const std::string& path);

    // What ReadDataFileStamped(path, stamp) gives, from the reading started for `path` if
    // there is one (waiting for it to end), otherwise read now. A started reading is taken
    // once. `follower` is given every record: while the started reading goes on, as it makes
    // them, or all at once after a reading made now.
    static DataFileContents Take(const std::string& path, FileStamp& stamp, RecordsSoFar::Follower* follower = nullptr);
};
