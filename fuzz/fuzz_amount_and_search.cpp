// Feeds arbitrary texts to the amount reader and to the search. An amount read must be
// written and read back as itself; the search must find exactly what folding both texts and
// searching bytes finds.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "records/Amount.h"
#include "records/CaseFold.h"
#include "records/CoinSearch.h"
#include "storage/TextEncoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const std::optional<Cents> amount = ReadAmount(input);
    if (amount && ReadAmount(AmountText(*amount)) != amount)
        std::abort();

    // The first byte splits the rest into the text to find and the text searched. The search
    // promises agreement with the fold for UTF-8 texts, which is what the program holds.
    if (size < 2)
        return 0;
    const std::size_t split = 1 + data[0] % (size - 1);
    const std::string_view needle = input.substr(1, split - 1);
    const std::string_view text = input.substr(split);
    if (!IsValidUtf8(needle) || !IsValidUtf8(text))
        return 0;
    const bool expected =
        !needle.empty() && FoldCase(text).find(FoldCase(needle)) != std::string::npos;
    if (CoinSearch(needle).MatchesText(text) != expected)
        std::abort();
    return 0;
}
