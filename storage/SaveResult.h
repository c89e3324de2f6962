#pragma once

#include <string>
#include <utility>

// The outcome of writing a file. On failure the old file is as it was and `reason` says why,
// for a developer; the window shows the program's fixed message instead.
struct SaveResult {
    bool ok = true;
    std::string reason;

    static SaveResult Failed(std::string why) { return {false, std::move(why)}; }
    explicit operator bool() const { return ok; }
};
