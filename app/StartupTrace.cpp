// The marks of the start-up trace, with nothing of the toolkit: the program marks its first
// steps before the toolkit is loaded.

#include "app/StartupTrace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace {

// The process's start in seconds since boot, from /proc/self/stat (in clock ticks, so to
// 10 ms); 0 when it cannot be read, and then the times count from the first mark.
double ProcessStart()
{
    std::FILE* stat = std::fopen("/proc/self/stat", "r");
    if (!stat)
        return 0;
    char text[1024] = {};
    const size_t size = std::fread(text, 1, sizeof text - 1, stat);
    std::fclose(stat);
    text[size] = '\0';
    // The fields after the command name, which may hold spaces, start after its last ')'.
    const char* field = std::strrchr(text, ')');
    if (!field)
        return 0;
    // starttime is field 22; the text after ") " starts with field 3.
    for (int n = 2; n < 22 && field; ++n)
        field = std::strchr(field + 1, ' ');
    return field ? std::strtod(field + 1, nullptr) / static_cast<double>(sysconf(_SC_CLK_TCK)) : 0;
}

double Now()
{
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace

bool StartupTrace::On()
{
    static const bool on = [] {
        const char* value = std::getenv("NUMORA_TRACE_STARTUP");
        return value && *value && std::strcmp(value, "0") != 0;
    }();
    return on;
}

void StartupTrace::Mark(const char* step)
{
    if (!On())
        return;
    static const double start = [] {
        const double s = ProcessStart();
        return s > 0 ? s : Now();
    }();
    // Beside the wall time, the CPU time the marking thread has used so far: a thread that
    // took far longer than its CPU time waited for a core.
    timespec cpu{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
    std::fprintf(stderr, "numora start-up: %7.1f ms  %s (this thread's CPU: %.1f ms)\n",
                 (Now() - start) * 1000.0, step,
                 static_cast<double>(cpu.tv_sec) * 1000.0 + static_cast<double>(cpu.tv_nsec) / 1e6);
}
