#include "app/DataFilePreload.h"

#include <future>
#include <optional>
#include <system_error>

namespace {

struct Pending {
    std::string path;
    std::future<DataFileContents> contents;
};

std::optional<Pending>& ThePending()
{
    static std::optional<Pending> pending;
    return pending;
}

}  // namespace

void DataFilePreload::Start(const std::string& path)
{
    try {
        ThePending() = Pending{path, std::async(std::launch::async, [path] { return ReadDataFileContents(path); })};
    } catch (const std::system_error&) {
        ThePending().reset();  // no thread: the window reads the file itself
    }
}

DataFileContents DataFilePreload::Take(const std::string& path)
{
    std::optional<Pending>& pending = ThePending();
    if (pending && pending->path == path) {
        std::future<DataFileContents> contents = std::move(pending->contents);
        pending.reset();
        return contents.get();
    }
    return ReadDataFileContents(path);
}
