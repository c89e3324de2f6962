#pragma once

// Helpers shared by the core tests: a temporary folder and whole-file reads and writes.

#include <grp.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with everything in it.
struct TempDir {
    fs::path path = Make();
    ~TempDir()
    {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string File(const std::string& name) const { return (path / name).string(); }
    static fs::path Make()
    {
        std::string pattern = (fs::temp_directory_path() / "numora-test-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        return pattern;
    }
};

inline std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The number of names in a folder, for checking that no temporary file was left behind.
inline long CountEntries(const fs::path& d) { return std::distance(fs::directory_iterator(d), {}); }

// The result of running a piece of a test in a child process.
enum class ChildResult { Passed, Failed, Unavailable };

// Runs `body` in a forked child, so that it may give up its root rights or limit its memory
// without touching the test process. `body` returns true when its checks held; an exception
// counts as a failure. `prepare` runs first in the child and returns false when what the case
// needs cannot be had here (the case is then skipped).
inline ChildResult RunInChild(const std::function<bool()>& prepare, const std::function<bool()>& body)
{
    const pid_t pid = fork();
    if (pid < 0)
        return ChildResult::Unavailable;
    if (pid == 0) {
        int code = 1;
        try {
            code = !prepare() ? 2 : body() ? 0 : 1;
        } catch (...) {
            code = 1;
        }
        _exit(code);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2)
        return ChildResult::Unavailable;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ChildResult::Passed : ChildResult::Failed;
}

// In a child: becomes the unprivileged user "nobody". Only root can do this; as any other
// user the permission cases hold already, and the case is skipped.
inline bool BecomeNobody()
{
    const passwd* nobody = getpwnam("nobody");
    return geteuid() == 0 && nobody && setgroups(0, nullptr) == 0 && setgid(nobody->pw_gid) == 0 &&
           setuid(nobody->pw_uid) == 0;
}

inline uid_t NobodyUid() { const passwd* p = getpwnam("nobody"); return p ? p->pw_uid : 65534; }
inline gid_t NobodyGid() { const passwd* p = getpwnam("nobody"); return p ? p->pw_gid : 65534; }

// gcc says so with __SANITIZE_ADDRESS__, older clang only through __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define NUMORA_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define NUMORA_UNDER_ASAN 1
#endif
#endif
#ifndef NUMORA_UNDER_ASAN
#define NUMORA_UNDER_ASAN 0
#endif

// In a child: allows it `extra` bytes of address space beyond what it uses now. Address
// sanitizers reserve far more than they use, so the case is skipped under them.
inline bool LimitMemoryTo(std::size_t extra)
{
#if NUMORA_UNDER_ASAN
    (void)extra;
    return false;
#else
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    if (!(statm >> pages))
        return false;
    const rlim_t limit = pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) + extra;
    const rlimit r{limit, limit};
    return setrlimit(RLIMIT_AS, &r) == 0;
#endif
}

// What `write` gives while the process may write files of at most `bytes` bytes: a write past
// that fails with EFBIG (the limit holds for every thread of the process, and its signal is
// ignored meanwhile). The limit is lifted again before returning.
template <class Write>
auto UnderFileSizeLimit(rlim_t bytes, Write write)
{
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const rlimit small{bytes, old.rlim_max};
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    auto result = write();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, handler);
    return result;
}

#define EXPECT_CHILD_PASSES(result, what)                                                    \
    do {                                                                                      \
        const ChildResult r_ = (result);                                                      \
        if (r_ == ChildResult::Unavailable)                                                   \
            std::cout << "[ SKIPPED  ] " << (what) << ": needs root or no sanitizer here\n";   \
        else                                                                                  \
            EXPECT_EQ(r_, ChildResult::Passed) << (what);                                     \
    } while (0)
