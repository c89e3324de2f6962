#include "storage/CsvMapFile.h"

#include <algorithm>

#include "storage/FileReader.h"
#include "storage/KeyValueText.h"
#include "storage/TextEncoding.h"

namespace {

std::optional<CoinField> FieldOfKey(std::string_view key)
{
    for (CoinField field : kCoinFields) {
        if (key == DataFileKey(field))
            return field;
    }
    return std::nullopt;
}

// A heading as it reads back from the file, whose readers drop the white space at the end of
// each line.
std::string AsStored(std::string_view heading)
{
    std::string stored;
    for (;;) {
        const std::size_t lineBreak = heading.find('\n');
        std::string_view line = heading.substr(0, lineBreak);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
            line.remove_suffix(1);
        stored += line;
        if (lineBreak == std::string_view::npos)
            return stored;
        stored += '\n';
        heading.remove_prefix(lineBreak + 1);
    }
}

bool SameHeadings(const std::vector<std::string>& saved, const std::vector<std::string>& headings)
{
    return std::equal(saved.begin(), saved.end(), headings.begin(), headings.end(),
                      [](const std::string& a, const std::string& b) { return AsStored(a) == AsStored(b); });
}

}  // namespace

std::vector<SavedCsvMap> ParseCsvMaps(std::string_view text)
{
    std::vector<SavedCsvMap> maps;
    std::vector<bool> sound;
    KeyValueReader reader = KeyValueReader::FromText(std::string(text));
    std::string key, value;
    while (reader.NextPair(key, value)) {
        if (key == "MAP") {
            maps.emplace_back();
            sound.push_back(true);
        } else if (key == "HEADING" && !maps.empty()) {
            maps.back().headings.push_back(value);
            maps.back().map.emplace_back();
        } else if (key == "FIELD" && !maps.empty() && !maps.back().map.empty()) {
            if (value.empty())
                maps.back().map.back().reset();
            else if (std::optional<CoinField> field = FieldOfKey(value))
                maps.back().map.back() = field;
            else
                sound.back() = false;
        }
    }
    std::vector<SavedCsvMap> kept;
    for (std::size_t i = 0; i < maps.size(); ++i) {
        if (sound[i] && !maps[i].headings.empty())
            kept.push_back(std::move(maps[i]));
    }
    return kept;
}

std::string CsvMapsText(const std::vector<SavedCsvMap>& maps)
{
    std::string text(kKeyValueHeader);
    for (const SavedCsvMap& saved : maps) {
        AppendPair(text, "MAP", "");
        for (std::size_t i = 0; i < saved.headings.size(); ++i) {
            AppendPair(text, "HEADING", saved.headings[i]);
            const std::optional<CoinField> field = i < saved.map.size() ? saved.map[i] : std::nullopt;
            AppendPair(text, "FIELD", field ? DataFileKey(*field) : "");
        }
    }
    text += '\n';
    return text;
}

std::optional<CsvColumnMap> FindSavedCsvMap(const std::string& path,
                                            const std::vector<std::string>& headings)
{
    FileReadResult file = ReadWholeFile(path, IfMissing::Leave);
    if (!file || file.missing)
        return std::nullopt;
    for (SavedCsvMap& saved : ParseCsvMaps(DecodeFileText(std::move(file.bytes)))) {
        if (SameHeadings(saved.headings, headings))
            return std::move(saved.map);
    }
    return std::nullopt;
}

Outcome SaveCsvMap(const std::string& path, const std::vector<std::string>& headings,
                      const CsvColumnMap& map)
{
    FileReadResult file = ReadWholeFile(path, IfMissing::Leave);
    if (!file)
        return Outcome::Failed(file.problem);
    std::vector<SavedCsvMap> maps;
    if (!file.missing)
        maps = ParseCsvMaps(DecodeFileText(std::move(file.bytes)));
    std::erase_if(maps, [&](const SavedCsvMap& saved) { return SameHeadings(saved.headings, headings); });
    SavedCsvMap added{headings, map};
    added.map.resize(headings.size());
    maps.push_back(std::move(added));

    KeyValueWriter writer(path);
    if (!writer.IsOpen())
        return Outcome::Failed(writer.OpenError());
    writer.Write(CsvMapsText(maps));
    return writer.Commit();
}
