#pragma once
// Where a dialog opens: beside the main window, so the viewer stays in sight.

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace korvane {

// The top-left corner, on `screen`, of a dialog of outer size `dialog` opened from a main
// window whose outer rectangle is `frame`: right of the window where the screen has room,
// else left of it, else below it, each aligned with the window's top (or left) edge as far
// as the screen allows. Where none fits, the place among those three, moved onto the screen,
// that covers least of the window.
QPoint PlaceBeside(const QRect& frame, const QSize& dialog, const QRect& screen);

// Moves `dialog` beside its parent window by PlaceBeside, on the parent's screen. Nothing
// when it has no parent window.
void MoveBesideParent(QWidget& dialog);

}  // namespace korvane
