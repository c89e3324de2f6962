#include "output/RowFiller.h"

#include <cstring>
#include <utility>

#include "output/PageComposer.h"

namespace {

constexpr bool IsTagLetter(char c) { return c >= 'A' && c <= 'Z'; }

// Every tag is '#', capitals, '#': what decides which values the worked-out rows may hold.
constexpr bool TagsAreHashCapitalsHash()
{
    for (const ItemTag& t : kItemTags) {
        if (t.tag.size() < 3 || t.tag.front() != '#' || t.tag.back() != '#')
            return false;
        for (std::size_t i = 1; i + 1 < t.tag.size(); ++i)
            if (!IsTagLetter(t.tag[i]))
                return false;
    }
    return true;
}
static_assert(TagsAreHashCapitalsHash(), "the item tags are '#', capitals and '#'");

constexpr unsigned Bit(CoinField field) { return 1u << FieldIndex(field); }

bool IsCapitalsOnly(std::string_view text)
{
    for (char c : text)
        if (!IsTagLetter(c))
            return false;
    return !text.empty();
}

// True when the character may be part of an occurrence of a tag.
bool MayBeInTag(char c) { return c == '#' || IsTagLetter(c); }

struct Segment {
    int field = -1;    // the value of this field, or template text when negative
    std::string text;  // the template text
};

// Replaces every occurrence of `tag` in `text` into `scratch` and swaps the two; leaves `text`
// alone when the tag does not occur.
void ReplaceInPlace(std::string& text, std::string& scratch, std::string_view tag,
                    std::string_view value)
{
    if (text.find(tag) == std::string::npos)
        return;
    scratch.clear();
    scratch.reserve(text.size());
    AppendTagReplaced(scratch, text, tag, value);
    std::swap(text, scratch);
}

}  // namespace

struct RowFiller::Plan {
    struct Piece {
        std::uint32_t offset;  // in `text`, for template text
        std::uint32_t size;
        int field;  // negative for template text
    };
    std::vector<Piece> pieces;
    std::string text;          // the template text of all pieces
    unsigned noHash = 0;       // fields whose values later steps search: they may hold no '#'
    unsigned notCapitals = 0;  // fields with a value that may be touched if it is capitals
};

RowFiller::RowFiller(std::string_view inner) : m_inner(inner), m_plans(std::size_t{1} << kCoinFieldCount) {}

RowFiller::~RowFiller() = default;

const RowFiller::Plan& RowFiller::PlanFor(unsigned emptyFields)
{
    std::unique_ptr<Plan>& slot = m_plans[emptyFields];
    if (slot)
        return *slot;
    auto plan = std::make_unique<Plan>();

    // The steps over the template as a list of text and values. Tags are searched in the text
    // alone; an empty value leaves the text on both sides joined, which is searched as one.
    std::vector<Segment> segments;
    if (!m_inner.empty())
        segments.push_back({-1, m_inner});
    for (std::size_t step = 0; step < kItemTags.size(); ++step) {
        const std::string_view tag = kItemTags[step].tag;
        const int field = FieldIndex(kItemTags[step].field);
        const bool empty = (emptyFields & (1u << field)) != 0;
        std::vector<Segment> next;
        auto addText = [&next](std::string_view text) {
            if (text.empty())
                return;
            if (!next.empty() && next.back().field < 0)
                next.back().text.append(text);
            else
                next.push_back({-1, std::string(text)});
        };
        for (Segment& segment : segments) {
            if (segment.field >= 0) {
                next.push_back(std::move(segment));
                continue;
            }
            const std::string_view text = segment.text;
            std::size_t pos = 0;
            for (std::size_t hit = text.find(tag); hit != std::string_view::npos;
                 hit = text.find(tag, pos)) {
                addText(text.substr(pos, hit - pos));
                if (!empty)
                    next.push_back({field, {}});
                pos = hit + tag.size();
            }
            addText(text.substr(pos));
        }
        segments = std::move(next);
        if (step + 1 == kItemTags.size())
            break;
        // The values present are searched by the next step. One is out of reach of every
        // occurrence when text that cannot be in a tag, or the start or end of the row, is next
        // to it on either side.
        for (std::size_t i = 0; i < segments.size(); ++i) {
            if (segments[i].field < 0)
                continue;
            const unsigned bit = 1u << segments[i].field;
            plan->noHash |= bit;
            const bool left = i > 0 && (segments[i - 1].field >= 0 || MayBeInTag(segments[i - 1].text.back()));
            const bool right = i + 1 < segments.size() &&
                               (segments[i + 1].field >= 0 || MayBeInTag(segments[i + 1].text.front()));
            if (left && right)
                plan->notCapitals |= bit;
        }
    }
    for (const Segment& segment : segments) {
        if (segment.field >= 0) {
            plan->pieces.push_back({0, 0, segment.field});
        } else {
            plan->pieces.push_back({static_cast<std::uint32_t>(plan->text.size()),
                                    static_cast<std::uint32_t>(segment.text.size()), -1});
            plan->text += segment.text;
        }
    }
    slot = std::move(plan);
    return *slot;
}

void RowFiller::AppendRow(std::string& out, const CoinRecord& record)
{
    std::array<std::string_view, kCoinFieldCount> values;
    unsigned emptyFields = 0;
    for (CoinField field : kCoinFields) {
        values[FieldIndex(field)] = record.Get(field);
        if (values[FieldIndex(field)].empty())
            emptyFields |= Bit(field);
    }
    const Plan& plan = PlanFor(emptyFields);
    for (int f = 0; f < kCoinFieldCount; ++f) {
        const std::string_view value = values[f];
        const unsigned bit = 1u << f;
        if (((plan.noHash & bit) && !value.empty() && std::memchr(value.data(), '#', value.size())) ||
            ((plan.notCapitals & bit) && IsCapitalsOnly(value))) {
            AppendStepByStep(out, values);
            return;
        }
    }
    for (const Plan::Piece& piece : plan.pieces) {
        if (piece.field < 0)
            out.append(plan.text, piece.offset, piece.size);
        else
            out.append(values[piece.field]);
    }
}

void RowFiller::AppendStepByStep(std::string& out, const std::array<std::string_view, kCoinFieldCount>& values)
{
    ++m_stepByStep;
    m_current.assign(m_inner);
    for (const ItemTag& t : kItemTags)
        ReplaceInPlace(m_current, m_next, t.tag, values[FieldIndex(t.field)]);
    out.append(m_current);
}
