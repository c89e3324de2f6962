#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QHash>

#include <string_view>
#include <vector>

#include "records/AsciiAdvances.h"

// Measures the width of UTF-8 texts in a font as the sum of the advances of their characters,
// each character measured once. This ignores kerning, which moves a text by a pixel or two.
// Line breaks measure as spaces, as the list shows them. Characters below 0x80 are looked up
// in a table filled at construction, so that a text of ASCII costs a lookup per byte.
class TextWidthMeter {
public:
    explicit TextWidthMeter(const QFont& font);
    // With a font of its own made from a font's description (QFont::toString), for a thread
    // other than the one that uses that font: no font's data is then shared between them.
    explicit TextWidthMeter(const QString& fontDescription);

    int Width(std::string_view utf8);

    // The largest advance of a character below 0x80: a text of ASCII alone is never wider
    // than its length times this.
    int WidestAsciiAdvance() const { return m_widestAscii; }

    // The advances of the characters below 0x80, as a table that sums a text of ASCII alone.
    const AsciiAdvances& AsciiSums() const { return m_asciiSums; }

private:
    int Advance(char32_t c);

    QFontMetrics m_metrics;
    std::vector<int> m_small;  // advances of code points below 0x3000; -1 until measured
    QHash<char32_t, int> m_large;
    int m_widestAscii = 0;
    AsciiAdvances m_asciiSums;
};
