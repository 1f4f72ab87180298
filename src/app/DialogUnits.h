#pragma once
// Dialog units: the dialogs are laid out in units of the dialog font, a quarter of its
// average character width across and an eighth of its height down, so the layout grows with
// the font and captions keep their room.

#include <QFont>
#include <QRect>
#include <QSize>

namespace korvane {

// number * numerator / denominator, rounded half away from zero; -1 when denominator is 0.
int MulDiv(int number, int numerator, int denominator);

struct DialogBaseUnits {
    int averageCharWidth = 0;  // width of the 52 letters A-Z a-z, averaged and rounded
    int charHeight = 0;        // ascent plus descent
};

// The font every dialog uses: DejaVu Sans at 8 points.
QFont DialogFont();

// The base units of `font`, measured the classic way: the advance of "A..Za..z" divided by
// 26, plus one, halved (integer division), and the font's height.
DialogBaseUnits BaseUnitsOf(const QFont& font);

// x, y, width and height in dialog units, each converted on its own to pixels.
QRect DialogRectToPixels(const DialogBaseUnits& units, int x, int y, int width, int height);
QSize DialogSizeToPixels(const DialogBaseUnits& units, int width, int height);

}  // namespace korvane
