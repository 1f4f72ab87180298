#include "app/DialogUnits.h"

#include <QFontMetrics>
#include <cstdint>
#include <cstdlib>

namespace korvane {

int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) {
        return -1;
    }
    const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    const std::int64_t magnitude =
        (std::llabs(product) + std::llabs(static_cast<std::int64_t>(denominator)) / 2) /
        std::llabs(static_cast<std::int64_t>(denominator));
    const bool negative = (product < 0) != (denominator < 0);
    return static_cast<int>(negative ? -magnitude : magnitude);
}

QFont DialogFont() {
    QFont font("DejaVu Sans");
    font.setPointSize(8);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return {(letters / 26 + 1) / 2, metrics.height()};
}

QRect DialogRectToPixels(const DialogBaseUnits& units, int x, int y, int width, int height) {
    return QRect(MulDiv(x, units.averageCharWidth, 4), MulDiv(y, units.charHeight, 8),
                 MulDiv(width, units.averageCharWidth, 4), MulDiv(height, units.charHeight, 8));
}

QSize DialogSizeToPixels(const DialogBaseUnits& units, int width, int height) {
    return QSize(MulDiv(width, units.averageCharWidth, 4), MulDiv(height, units.charHeight, 8));
}

}  // namespace korvane
