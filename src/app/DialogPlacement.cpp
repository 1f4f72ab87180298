#include "app/DialogPlacement.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <array>

namespace korvane {

namespace {

// `place` moved by as little as possible to lie on `screen` (its top-left corner wins where
// it is larger than the screen).
QRect OntoScreen(QRect place, const QRect& screen) {
    place.moveLeft(
        std::max(screen.left(), std::min(place.left(), screen.right() - place.width() + 1)));
    place.moveTop(
        std::max(screen.top(), std::min(place.top(), screen.bottom() - place.height() + 1)));
    return place;
}

long long CoveredArea(const QRect& place, const QRect& frame) {
    const QRect covered = place.intersected(frame);
    return covered.isEmpty() ? 0 : static_cast<long long>(covered.width()) * covered.height();
}

}  // namespace

QPoint PlaceBeside(const QRect& frame, const QSize& dialog, const QRect& screen) {
    const std::array<QRect, 3> places = {
        QRect(QPoint(frame.right() + 1, frame.top()), dialog),              // right
        QRect(QPoint(frame.left() - dialog.width(), frame.top()), dialog),  // left
        QRect(QPoint(frame.left(), frame.bottom() + 1), dialog),            // below
    };
    // Aligned with the window as far as the screen allows: a side fits when only the
    // alignment had to give way, not the side.
    for (const QRect& place : places) {
        const QRect onScreen = OntoScreen(place, screen);
        if (screen.contains(onScreen) && !onScreen.intersects(frame)) {
            return onScreen.topLeft();
        }
    }
    QRect best = OntoScreen(places[0], screen);
    for (const QRect& place : places) {
        const QRect onScreen = OntoScreen(place, screen);
        if (CoveredArea(onScreen, frame) < CoveredArea(best, frame)) {
            best = onScreen;
        }
    }
    return best.topLeft();
}

void MoveBesideParent(QWidget& dialog) {
    QWidget* parent = dialog.parentWidget() ? dialog.parentWidget()->window() : nullptr;
    if (parent == nullptr || parent->screen() == nullptr) {
        return;
    }
    // The window manager's frame around the dialog is taken to be the main window's.
    const QRect frame = parent->frameGeometry();
    const QMargins decoration(
        parent->geometry().left() - frame.left(), parent->geometry().top() - frame.top(),
        frame.right() - parent->geometry().right(), frame.bottom() - parent->geometry().bottom());
    const QSize outer = dialog.size().grownBy(decoration);
    const QPoint corner = PlaceBeside(frame, outer, parent->screen()->availableGeometry());
    dialog.move(corner);  // move() places the frame's corner for a top-level window
}

}  // namespace korvane
