#include "widgets/DialogUnits.h"

#include <QFontMetricsF>

#include <cmath>

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetricsF metrics(font);
    const double average =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52.0;
    m_x = average / 4.0;
    m_y = std::ceil(metrics.height()) / 8.0;
}

DialogUnits::DialogUnits(double pixelsPerUnitX, double pixelsPerUnitY)
    : m_x(pixelsPerUnitX), m_y(pixelsPerUnitY)
{
}

int DialogUnits::X(double units) const { return static_cast<int>(std::lround(units * m_x)); }

int DialogUnits::Y(double units) const { return static_cast<int>(std::lround(units * m_y)); }

QRect DialogUnits::Rect(double x, double y, double width, double height) const
{
    const int left = X(x);
    const int top = Y(y);
    return QRect(left, top, X(x + width) - left, Y(y + height) - top);
}
