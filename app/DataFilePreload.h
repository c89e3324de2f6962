#pragma once

#include <memory>
#include <string>

#include "storage/DataFile.h"

// Reads the data file on a thread of its own while the toolkit is loaded and started and the
// window is made, so that on a machine with a second core the two take the time of the
// longer one. The window takes the result where it would have read the file; where nothing
// was started (the tests, which make the window themselves) or for another file, it reads the
// file then.
//
// The reading starts before the collection's lock is taken, which needs the toolkit: it
// creates nothing (a missing file is left for the window to read), and the window reads the
// file again when it no longer looks as it did when the reading began, as it does after
// another window has saved it and let go of the lock in the meantime.
class DataFilePreload {
public:
    // A reading started, with what it is to give.
    struct Reading;

    // Starts reading `path` (relative to the current folder, which must not change before
    // Take). Where no thread can be started, or the file is not there, nothing is started.
    static void Start(const std::string& path);

    // The program and its window's part are built from the same sources but each has its own
    // copy of this class: the reading started by the one is handed to the other with Release
    // and Adopt. Release gives up the reading started here (null for none); Adopt makes
    // `reading` the one started here, dropping any other.
    static Reading* Release();
    static void Adopt(Reading* reading);

    // Gives the records of the reading started for `path` to `follower` from now on, on a
    // thread of its own, while the caller goes on making the window; Take, given the same
    // follower, then waits for that thread instead of following the reading itself. The
    // reading keeps the follower alive until the thread has ended. False when nothing was
    // started for `path` or no thread can be had.
    static bool FollowAhead(const std::string& path, std::shared_ptr<RecordsSoFar::Follower> follower);

    // What ReadDataFileStamped(path, stamp) gives, from the reading started for `path` if
    // there is one (waiting for it to end), otherwise read now. A started reading is taken
    // once. `follower` is given every record: while the started reading goes on, as it makes
    // them, or all at once after a reading made now (told to Forget the others first).
    static DataFileContents Take(const std::string& path, FileStamp& stamp, RecordsSoFar::Follower* follower = nullptr);

    // Waits for a reading started and not taken to end, and drops it, so that the process
    // ends with no thread reading.
    static void Drop();
};
