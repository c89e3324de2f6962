#pragma once

#include <QFont>
#include <QRect>

// Converts the dialog units of the window templates into pixels of a font: a horizontal unit
// is a quarter of the font's average character width (over A-Z and a-z), a vertical unit an
// eighth of its height. Rectangles are converted by their corners, as the templates' authors
// expected.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(double pixelsPerUnitX, double pixelsPerUnitY);

    int X(double units) const;
    int Y(double units) const;
    QRect Rect(double x, double y, double width, double height) const;

private:
    double m_x;
    double m_y;
};
