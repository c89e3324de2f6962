#include "output/TagStream.h"

#include <algorithm>
#include <cstring>

TagReplacer::TagReplacer(std::string tag, std::string value, TextSink& next)
    : m_tag(std::move(tag)), m_value(std::move(value)), m_next(next)
{
    m_held.reserve(m_tag.size());
}

void TagReplacer::Put(std::string_view bytes)
{
    if (bytes.empty())
        return;
    if (m_tag.empty()) {
        m_next.Put(bytes);
        return;
    }
    if (m_held.empty()) {
        Scan(bytes);
        return;
    }
    const std::size_t tagSize = m_tag.size();
    if (bytes.size() < tagSize) {
        // A short piece: the held bytes and it are scanned together (a few bytes at most).
        std::string joined = std::move(m_held);
        m_held = std::string();
        joined.append(bytes);
        Scan(joined);
        return;
    }
    // The held bytes and the next tag size less one bytes hold every occurrence that begins in
    // the held bytes, whole; later ones begin in `bytes` and Scan finds them there.
    std::string joined = m_held;
    joined.append(bytes.substr(0, tagSize - 1));
    const std::size_t hit = joined.find(m_tag);
    if (hit != std::string::npos && hit < m_held.size()) {
        const std::size_t resume = hit + tagSize - m_held.size();
        m_held.clear();
        if (hit > 0)
            m_next.Put(std::string_view(joined).substr(0, hit));
        m_next.Put(m_value);
        Scan(bytes.substr(resume));
        return;
    }
    const std::string held = std::move(m_held);
    m_held = std::string();
    m_next.Put(held);
    Scan(bytes);
}

void TagReplacer::Scan(std::string_view bytes)
{
    const std::size_t tagSize = m_tag.size();
    std::size_t pos = 0;
    for (std::size_t hit = bytes.find(m_tag); hit != std::string_view::npos;
         hit = bytes.find(m_tag, pos)) {
        if (hit > pos)
            m_next.Put(bytes.substr(pos, hit - pos));
        if (!m_value.empty())
            m_next.Put(m_value);
        pos = hit + tagSize;
    }
    // The longest end of the rest that is a proper beginning of the tag may be completed by
    // the next piece.
    const std::string_view rest = bytes.substr(pos);
    std::size_t keep = 0;
    const std::size_t tail = std::min(rest.size(), tagSize - 1);
    if (tail > 0 && std::memchr(rest.data() + rest.size() - tail, m_tag[0], tail)) {
        for (std::size_t k = tail; k > 0; --k) {
            if (rest.substr(rest.size() - k) == std::string_view(m_tag).substr(0, k)) {
                keep = k;
                break;
            }
        }
    }
    if (rest.size() > keep)
        m_next.Put(rest.substr(0, rest.size() - keep));
    m_held.assign(rest.substr(rest.size() - keep));
}

void TagReplacer::Finish()
{
    if (m_held.empty())
        return;
    const std::string held = std::move(m_held);
    m_held = std::string();
    m_next.Put(held);
}

TagChain::TagChain(const std::vector<std::pair<std::string, std::string>>& tagsAndValues,
                   TextSink& out)
    : m_out(out)
{
    m_replacers.resize(tagsAndValues.size());
    TextSink* next = &out;
    for (std::size_t i = tagsAndValues.size(); i-- > 0;) {
        m_replacers[i] = std::make_unique<TagReplacer>(tagsAndValues[i].first, tagsAndValues[i].second, *next);
        next = m_replacers[i].get();
    }
    for (std::size_t i = 0; i < tagsAndValues.size(); ++i) {
        const std::string& tag = tagsAndValues[i].first;
        m_longestTag = std::max(m_longestTag, tag.size());
        if (i == 0) {
            m_commonStart = tag;
        } else {
            std::size_t same = 0;
            while (same < m_commonStart.size() && same < tag.size() && m_commonStart[same] == tag[same])
                ++same;
            m_commonStart.resize(same);
        }
    }
}

void TagChain::Put(std::string_view bytes)
{
    if (m_replacers.empty()) {
        m_out.Put(bytes);
        return;
    }
    // When nothing is held and the piece holds no beginning common to every tag, and its end
    // cannot begin one, no replacer would change it or hold any of it: it goes straight out.
    // This is the road of almost every block of rows.
    if (!m_commonStart.empty() && bytes.find(m_commonStart) == std::string_view::npos) {
        const std::size_t tail = std::min(bytes.size(), m_longestTag - 1);
        const bool endMayBeginTag =
            tail > 0 && std::memchr(bytes.data() + bytes.size() - tail, m_commonStart[0], tail);
        const bool holding = std::any_of(m_replacers.begin(), m_replacers.end(),
                                         [](const auto& r) { return r->Holding(); });
        if (!endMayBeginTag && !holding) {
            m_out.Put(bytes);
            return;
        }
    }
    m_replacers.front()->Put(bytes);
}

void TagChain::Finish()
{
    for (const auto& replacer : m_replacers)
        replacer->Finish();
}
