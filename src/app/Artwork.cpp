#include "app/Artwork.h"

#include <QFont>
#include <QPainter>
#include <QPen>

namespace korvane {

QImage MakeBanner() {
    QImage banner(BannerWidth, BannerHeight, QImage::Format_RGB888);
    banner.fill(Qt::white);
    QPainter painter(&banner);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);

    // The frame, four pixels wide, with a thin inner line like an engraved plate.
    painter.setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawRect(QRect(12, 12, BannerWidth - 25, BannerHeight - 25));
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(QRect(20, 20, BannerWidth - 41, BannerHeight - 41));

    // The rules above and below the name.
    const int ruleLeft = 70;
    const int ruleRight = BannerWidth - 70;
    painter.fillRect(QRect(ruleLeft, 110, ruleRight - ruleLeft, 3), Qt::black);
    painter.fillRect(QRect(ruleLeft, 250, ruleRight - ruleLeft, 3), Qt::black);

    QFont serif("DejaVu Serif");
    serif.setStyleHint(QFont::Serif);
    serif.setPixelSize(84);
    painter.setFont(serif);
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, 113, BannerWidth, 137), Qt::AlignCenter, "Korvane");
    return banner;
}

QImage MakeIconImage(int size) {
    QImage icon(size, size, QImage::Format_RGB888);
    icon.fill(Qt::black);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    // Rings of the colour scale from the outside in: blue, green, red, a white-hot core.
    const QColor rings[] = {QColor(0, 0, 255), QColor(0, 255, 0), QColor(255, 0, 0),
                            QColor(255, 255, 255)};
    const double centre = size * 0.45;
    double radius = size * 0.42;
    for (const QColor& colour : rings) {
        painter.setBrush(colour);
        painter.drawEllipse(QPointF(centre, centre), radius, radius);
        radius -= size * 0.11;
    }
    // A frame of the picture.
    painter.setPen(QPen(QColor(128, 128, 128), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, size - 1, size - 1);
    return icon;
}

QIcon MakeAppIcon() {
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(MakeIconImage(32)));
    icon.addPixmap(QPixmap::fromImage(MakeIconImage(16)));
    return icon;
}

}  // namespace korvane
