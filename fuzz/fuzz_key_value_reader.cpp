// Feeds arbitrary file contents through the decoding and the key/value reader, and checks that
// the pairs read come back unchanged when they are written out and read again.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "storage/KeyValueText.h"
#include "storage/TextEncoding.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs ReadAll(std::string text)
{
    KeyValueReader reader = KeyValueReader::FromText(std::move(text));
    Pairs pairs;
    std::string key, value;
    while (reader.NextPair(key, value))
        pairs.emplace_back(key, value);
    return pairs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string text = DecodeFileText(std::string(reinterpret_cast<const char*>(data), size));
    if (!IsValidUtf8(text))
        __builtin_trap();

    // Pairs with an empty key are blank lines or strays; written out they would read as
    // continuation lines, so only the others have to survive a second pass.
    Pairs kept;
    for (auto& pair : ReadAll(std::move(text))) {
        if (pair.first.find_first_of("=\n") != std::string::npos)
            __builtin_trap();
        if (!pair.first.empty())
            kept.push_back(std::move(pair));
    }

    std::string written(kKeyValueHeader);
    for (const auto& [key, value] : kept)
        AppendPair(written, key, value);
    Pairs again = ReadAll(std::move(written));
    if (again.empty() || again.front() != std::pair<std::string, std::string>("CREATOR", "NMR 1.0"))
        __builtin_trap();
    again.erase(again.begin());
    if (again != kept)
        __builtin_trap();
    return 0;
}
