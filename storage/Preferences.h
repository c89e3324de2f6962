#pragma once

#include <array>
#include <string>
#include <string_view>

#include "storage/Outcome.h"

inline constexpr char kPreferencesFileName[] = "nmr.ini";

// The keys of the preferences file, in the file's order.
enum class PrefKey : int {
    Name,
    Email,
    Address1,
    Address2,
    City,
    State,
    Country,
    Catalogue,
    List,
    Report,
    ValReport,
    Tooltips,
};

inline constexpr int kPrefKeyCount = 12;

// "NAME", "EMAIL", ... "TOOLTIPS".
std::string_view PreferenceKeyName(PrefKey key);

// The twelve preference texts, empty until loaded or set.
struct Preferences {
    std::array<std::string, kPrefKeyCount> values;

    std::string& operator[](PrefKey key) { return values[static_cast<int>(key)]; }
    const std::string& operator[](PrefKey key) const { return values[static_cast<int>(key)]; }

    // Tooltips are shown only for exactly "yes".
    bool TooltipsOn() const { return (*this)[PrefKey::Tooltips] == "yes"; }

    friend bool operator==(const Preferences&, const Preferences&) = default;
};

// What a preferences file held, and whether all of it could be read: when not ok, the file
// must not be overwritten in this run, and `problem` says why it was not read whole.
struct PreferencesContents : Outcome {
    Preferences prefs;
};

// Reads the file: keys of the table set their value (a later duplicate wins), anything else is
// skipped. A missing file is created empty and gives empty preferences. A file that exists but
// could not be read whole (no permission, a folder or a FIFO, a read error) gives empty
// preferences and not ok: half a file of settings is not the user's settings.
PreferencesContents ReadPreferencesContents(const std::string& path);

// The preferences alone, for callers that need not know whether the file was read whole.
Preferences ReadPreferencesFile(const std::string& path);

// Writes the header, the twelve pairs in order and an empty last line.
Outcome WritePreferencesFile(const std::string& path, const Preferences& prefs);
