#include "app/DataFilePreload.h"

#include <pthread.h>
#include <sys/stat.h>

#include <future>
#include <memory>
#include <system_error>
#include <thread>

#include "app/StartupTrace.h"

struct DataFilePreload::Reading {
    struct Stamped {
        DataFileContents contents;
        FileStamp stamp;
    };

    std::string path;
    std::shared_ptr<RecordsSoFar> soFar;
    std::future<Stamped> read;
    // The thread that follows the reading ahead of Take, and for whom; `aheadFailed` when it
    // could not give every record, which Take then gives again from the first.
    std::thread ahead;
    std::shared_ptr<RecordsSoFar::Follower> aheadFor;
    bool aheadFailed = false;

    // The follower returns once the reading has ended.
    void JoinAhead()
    {
        if (ahead.joinable())
            ahead.join();
    }
    ~Reading() { JoinAhead(); }
};

namespace {

std::unique_ptr<DataFilePreload::Reading>& TheReading()
{
    static std::unique_ptr<DataFilePreload::Reading> reading;
    return reading;
}

}  // namespace

void DataFilePreload::Start(const std::string& path)
{
    // The lock is not yet held, so nothing may be created: a missing file is read, and made,
    // by the window.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return;
    try {
        auto soFar = std::make_shared<RecordsSoFar>();
        auto reading = std::make_unique<Reading>();
        reading->path = path;
        reading->soFar = soFar;
        reading->read = std::async(std::launch::async, [path, soFar] {
            // Named so that a profile tells it from the window's thread.
            pthread_setname_np(pthread_self(), "numora-reader");
            Reading::Stamped read;
            try {
                read.contents = ReadDataFileStamped(path, read.stamp, soFar.get(), IfMissing::Leave);
            } catch (...) {
                soFar->End({});
                throw;
            }
            soFar->End(read.contents.records);
            StartupTrace::Mark("data file read on its own thread");
            return read;
        });
        TheReading() = std::move(reading);
    } catch (const std::system_error&) {
        TheReading().reset();  // no thread: the window reads the file itself
    }
}

DataFilePreload::Reading* DataFilePreload::Release() { return TheReading().release(); }

void DataFilePreload::Adopt(Reading* reading)
{
    Drop();
    TheReading().reset(reading);
}

void DataFilePreload::Drop()
{
    std::unique_ptr<Reading> reading = std::move(TheReading());
    if (reading && reading->read.valid())
        reading->read.wait();
}

bool DataFilePreload::FollowAhead(const std::string& path, std::shared_ptr<RecordsSoFar::Follower> follower)
{
    Reading* reading = TheReading().get();
    if (!reading || reading->path != path || reading->ahead.joinable() || !follower)
        return false;
    try {
        reading->ahead = std::thread([reading, follower = follower.get()] {
            pthread_setname_np(pthread_self(), "numora-measure");
            try {
                reading->soFar->Follow(*follower);
            } catch (...) {
                reading->aheadFailed = true;
            }
        });
    } catch (const std::system_error&) {
        return false;
    }
    reading->aheadFor = std::move(follower);
    return true;
}

DataFileContents DataFilePreload::Take(const std::string& path, FileStamp& stamp, RecordsSoFar::Follower* follower)
{
    std::unique_ptr<Reading>& started = TheReading();
    if (started && started->path == path) {
        const std::unique_ptr<Reading> taking = std::move(started);
        taking->JoinAhead();
        const bool followed = follower && taking->aheadFor.get() == follower && !taking->aheadFailed;
        if (follower && !followed) {
            follower->Forget();
            taking->soFar->Follow(*follower);
        }
        Reading::Stamped taken = taking->read.get();
        // Read before this process held the lock, the file may have been saved by the window
        // that held it since; or it was not there. Only a reading of the file as it is now
        // is used.
        if (taken.stamp.exists && SameLooks(StampFile(path, false), taken.stamp)) {
            stamp = taken.stamp;
            return std::move(taken.contents);
        }
        if (follower)
            follower->Forget();
    }
    DataFileContents contents = ReadDataFileStamped(path, stamp);
    if (follower)
        follower->Look(contents.records);
    return contents;
}
