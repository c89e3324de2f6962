#include "output/PageComposer.h"

#include <array>
#include <utility>
#include <vector>

#include "output/RowFiller.h"
#include "records/LargePages.h"
#include "resources/FixedStrings.h"

namespace {

constexpr std::string_view kDataTag = "#DATA#";

// The page tags after #DATA#, in the order they are substituted.
struct PageTag {
    std::string_view tag;
    PrefKey key;
};

constexpr std::array<PageTag, 7> kPreferenceTags = {{
    {"#PREFSNAME#", PrefKey::Name},
    {"#PREFSADDRESS1#", PrefKey::Address1},
    {"#PREFSADDRESS2#", PrefKey::Address2},
    {"#PREFSCITY#", PrefKey::City},
    {"#PREFSSTATE#", PrefKey::State},
    {"#PREFSCOUNTRY#", PrefKey::Country},
    {"#PREFSEMAIL#", PrefKey::Email},
}};

// The rows are made into a block of this size before they go on.
constexpr std::size_t kBlockSize = std::size_t{1} << 20;

// The outer template's text around its #DATA# tags, found left to right.
std::vector<std::string_view> SplitAtData(std::string_view outer)
{
    std::vector<std::string_view> parts;
    std::size_t pos = 0;
    for (std::size_t hit = outer.find(kDataTag); hit != std::string_view::npos;
         hit = outer.find(kDataTag, pos)) {
        parts.push_back(outer.substr(pos, hit - pos));
        pos = hit + kDataTag.size();
    }
    parts.push_back(outer.substr(pos));
    return parts;
}

// Collects the page in a string.
class StringSink final : public TextSink {
public:
    explicit StringSink(std::string& out) : m_out(out) {}
    void Put(std::string_view bytes) override { m_out.append(bytes); }

private:
    std::string& m_out;
};

// The size of the page when no value holds a tag: every row is the inner template with the
// values in place of its tags, and preference values in place of the outer template's tags.
std::size_t ExpectedPageSize(const std::vector<std::string_view>& parts, std::string_view inner,
                             const Collection& collection, const Preferences& prefs)
{
    std::array<std::size_t, kCoinFieldCount> tagCount{};
    std::size_t tagBytes = 0;
    for (const ItemTag& t : kItemTags) {
        for (std::size_t hit = inner.find(t.tag); hit != std::string_view::npos;
             hit = inner.find(t.tag, hit + t.tag.size())) {
            ++tagCount[FieldIndex(t.field)];
            tagBytes += t.tag.size();
        }
    }
    // Tags may overlap in the template ("#NAME#YEAR#"), so their bytes may outnumber its own.
    const std::size_t fixedPart = inner.size() > tagBytes ? inner.size() - tagBytes : 0;
    std::size_t rows = FooterRow().size() + static_cast<std::size_t>(collection.Count()) * fixedPart;
    for (const CoinRecord& record : collection.BottomUp()) {
        for (CoinField field : kCoinFields)
            rows += tagCount[FieldIndex(field)] * record.Get(field).size();
    }
    std::size_t size = rows * (parts.size() - 1);
    for (std::string_view part : parts) {
        std::string text(part);
        for (const PageTag& t : kPreferenceTags)
            text = ReplaceTag(text, t.tag, prefs[t.key]);
        size += text.size();
    }
    return size;
}

}  // namespace

std::string HomePageUrl()
{
    std::string url = "http://";
    url += strings::kWebHost;
    url += strings::kHomePath;
    return url;
}

std::string HelpPageUrl()
{
    std::string url = "http://";
    url += strings::kWebHost;
    url += strings::kHelpPath;
    return url;
}

void AppendTagReplaced(std::string& out, std::string_view text, std::string_view tag, std::string_view value)
{
    if (tag.empty()) {
        out.append(text);
        return;
    }
    std::size_t pos = 0;
    for (std::size_t hit = text.find(tag); hit != std::string_view::npos; hit = text.find(tag, pos)) {
        out.append(text, pos, hit - pos);
        out.append(value);
        pos = hit + tag.size();
    }
    out.append(text, pos);
}

std::string ReplaceTag(std::string_view text, std::string_view tag, std::string_view value)
{
    std::string out;
    out.reserve(text.size());
    AppendTagReplaced(out, text, tag, value);
    return out;
}

std::string FooterRow()
{
    return strings::Fill(strings::kPageFooter, {HomePageUrl()});
}

void StreamPage(std::string_view outer, std::string_view inner, const Collection& collection,
                const Preferences& prefs, TextSink& out)
{
    std::vector<std::pair<std::string, std::string>> tags;
    for (const PageTag& t : kPreferenceTags)
        tags.emplace_back(t.tag, prefs[t.key]);
    // The preference tags are replaced over the whole page in their order: the outer template's
    // text and the rows pass through them all as they are made.
    TagChain chain(tags, out);
    RowFiller filler(inner);
    const std::string footer = FooterRow();
    std::string block;
    block.reserve(kBlockSize + kBlockSize / 4);
    const std::vector<std::string_view> parts = SplitAtData(outer);
    const int count = collection.Count();
    for (std::size_t p = 0; p < parts.size(); ++p) {
        chain.Put(parts[p]);
        if (p + 1 == parts.size())
            break;
        for (int i = 0; i < count; ++i) {
            filler.AppendRow(block, collection.Row(i));
            if (block.size() >= kBlockSize) {
                chain.Put(block);
                block.clear();
            }
        }
        block += footer;
        chain.Put(block);
        block.clear();
    }
    chain.Finish();
}

std::string ComposePage(std::string_view outer, std::string_view inner,
                        const Collection& collection, const Preferences& prefs)
{
    // Reserved for the page as it usually comes out, with room to spare: the part of it that
    // is never written is never given memory. A page that outgrows it (values that hold tags)
    // is still right, only copied once into a larger string.
    const std::size_t expected = ExpectedPageSize(SplitAtData(outer), inner, collection, prefs);
    std::string page;
    ReserveWithLargePages(page, expected + expected / 16 + 4096);
    StringSink sink(page);
    StreamPage(outer, inner, collection, prefs, sink);
    return page;
}
