#include "records/qt/TextWidthMeter.h"

#include <QString>

#include <algorithm>
#include <climits>

#include "records/Utf8.h"

namespace {

constexpr char32_t kSmallLimit = 0x3000;

}  // namespace

TextWidthMeter::TextWidthMeter(const QFont& font)
    : m_metrics(font), m_small(kSmallLimit, -1)
{
    for (char32_t c = 0; c < 0x80; ++c)
        m_widestAscii = std::max(m_widestAscii, Advance(c));
    // Line breaks and tabs count as spaces; Advance gives them so but caches the space alone,
    // and the ASCII bytes of a text are looked up here directly.
    for (char c : {'\n', '\r', '\t'})
        m_small[static_cast<unsigned char>(c)] = m_small[' '];
    std::array<int, 128> ascii{};
    std::copy_n(m_small.begin(), ascii.size(), ascii.begin());
    m_asciiSums = AsciiAdvances(ascii);
}

namespace {

QFont FontOf(const QString& description)
{
    QFont font;
    font.fromString(description);
    return font;
}

}  // namespace

TextWidthMeter::TextWidthMeter(const QString& fontDescription) : TextWidthMeter(FontOf(fontDescription)) {}

int TextWidthMeter::Advance(char32_t c)
{
    if (c == U'\n' || c == U'\r' || c == U'\t')
        c = U' ';
    if (c < kSmallLimit) {
        int& w = m_small[c];
        if (w < 0)
            w = m_metrics.horizontalAdvance(QString::fromUcs4(&c, 1));
        return w;
    }
    auto it = m_large.find(c);
    if (it == m_large.end())
        it = m_large.insert(c, m_metrics.horizontalAdvance(QString::fromUcs4(&c, 1)));
    return *it;
}

int TextWidthMeter::Width(std::string_view s)
{
    long long width = 0;
    std::size_t i = 0;
    const std::size_t n = s.size();
    while (i < n) {
        const auto byte = static_cast<unsigned char>(s[i]);
        if (byte < 0x80) {
            width += m_small[byte];
            ++i;
            continue;
        }
        std::size_t length = 0;
        const char32_t c = DecodeUtf8(s, i, length);
        // Measured before: looked up here rather than through a call.
        const int known = c < kSmallLimit ? m_small[c] : -1;
        width += known >= 0 ? known : Advance(c);
        i += length;
    }
    return width > INT_MAX ? INT_MAX : static_cast<int>(width);
}
