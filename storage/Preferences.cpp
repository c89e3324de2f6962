#include "storage/Preferences.h"

#include "storage/KeyValueText.h"

namespace {

constexpr std::array<std::string_view, kPrefKeyCount> kKeyNames = {
    "NAME",    "EMAIL",     "ADDRESS1", "ADDRESS2", "CITY",      "STATE",
    "COUNTRY", "CATALOGUE", "LIST",     "REPORT",   "VALREPORT", "TOOLTIPS",
};

}  // namespace

std::string_view PreferenceKeyName(PrefKey key) { return kKeyNames[static_cast<int>(key)]; }

PreferencesContents ReadPreferencesContents(const std::string& path)
{
    PreferencesContents contents;
    KeyValueReader reader(path);
    if (!reader.IsComplete()) {
        contents.Fail(reader.Problem());
        return contents;
    }
    std::string key, value;
    while (reader.NextPair(key, value)) {
        for (int i = 0; i < kPrefKeyCount; ++i) {
            if (kKeyNames[i] == key) {
                contents.prefs.values[i] = value;
                break;
            }
        }
    }
    return contents;
}

Preferences ReadPreferencesFile(const std::string& path)
{
    return ReadPreferencesContents(path).prefs;
}

Outcome WritePreferencesFile(const std::string& path, const Preferences& prefs)
{
    KeyValueWriter writer(path);
    if (!writer.IsOpen())
        return Outcome::Failed(writer.OpenError());
    std::string text(kKeyValueHeader);
    for (int i = 0; i < kPrefKeyCount; ++i)
        AppendPair(text, kKeyNames[i], prefs.values[i]);
    text += "\n\n";  // the file ends with an empty line
    writer.Write(text);
    return writer.Commit();
}
