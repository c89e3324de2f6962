#include "records/qt/TextWidthMeter.h"

#include <QString>

namespace {

constexpr char32_t kSmallLimit = 0x3000;

}  // namespace

TextWidthMeter::TextWidthMeter(const QFont& font)
    : m_metrics(font), m_small(kSmallLimit, -1)
{
}

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
        const auto b0 = static_cast<unsigned char>(s[i]);
        char32_t c = 0xFFFD;
        std::size_t len = 1;
        if (b0 < 0x80) {
            c = b0;
        } else if ((b0 & 0xE0) == 0xC0 && i + 1 < n) {
            c = (char32_t(b0 & 0x1F) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3F);
            len = 2;
        } else if ((b0 & 0xF0) == 0xE0 && i + 2 < n) {
            c = (char32_t(b0 & 0x0F) << 12) |
                (char32_t(static_cast<unsigned char>(s[i + 1]) & 0x3F) << 6) |
                (static_cast<unsigned char>(s[i + 2]) & 0x3F);
            len = 3;
        } else if ((b0 & 0xF8) == 0xF0 && i + 3 < n) {
            c = (char32_t(b0 & 0x07) << 18) |
                (char32_t(static_cast<unsigned char>(s[i + 1]) & 0x3F) << 12) |
                (char32_t(static_cast<unsigned char>(s[i + 2]) & 0x3F) << 6) |
                (static_cast<unsigned char>(s[i + 3]) & 0x3F);
            len = 4;
        }
        width += Advance(c);
        i += len;
    }
    return width > INT_MAX ? INT_MAX : static_cast<int>(width);
}
