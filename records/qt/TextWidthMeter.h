#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QHash>

#include <string_view>
#include <vector>

// Measures the width of UTF-8 texts in a font as the sum of the advances of their characters,
// each character measured once. This ignores kerning, which moves a text by a pixel or two,
// and is fast enough to measure every cell of a million coins when a file is loaded. Line
// breaks measure as spaces, as the list shows them.
class TextWidthMeter {
public:
    explicit TextWidthMeter(const QFont& font);

    int Width(std::string_view utf8);

private:
    int Advance(char32_t c);

    QFontMetrics m_metrics;
    std::vector<int> m_small;  // advances of code points below 0x3000; -1 until measured
    QHash<char32_t, int> m_large;
};
