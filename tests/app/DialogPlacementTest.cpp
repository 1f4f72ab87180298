// Where a dialog opens beside the main window.

#include <QTest>

#include "AppTestRegistry.h"
#include "app/DialogPlacement.h"

namespace korvane::testing {
namespace {

class DialogPlacementTest : public QObject {
    Q_OBJECT
  private slots:
    void rightElseLeftElseBelowElseCoveringLeast() {
        const QSize dialog(600, 540);
        const QRect screen(0, 0, 1920, 1080);
        const QRect second(1920, 0, 1280, 1024);  // a second screen right of the first
        const struct {
            const char* what;
            QRect frame, screen;
            QPoint expected;
        } cases[] = {
            {"room on the right", {100, 100, 700, 500}, screen, {800, 100}},
            {"right edge: left", {1200, 100, 700, 500}, screen, {600, 100}},
            {"left exactly fits", {600, 0, 800, 500}, screen, {0, 0}},
            {"full width: below", {0, 0, 1920, 400}, screen, {0, 400}},
            {"low window: right, raised onto the screen", {100, 800, 700, 280}, screen, {800, 540}},
            {"maximised: right edge of the screen", {0, 0, 1920, 1080}, screen, {1320, 0}},
            {"second screen, no room anywhere: least covered",
             {2000, 100, 700, 500},
             second,
             {2600, 100}},
            {"second screen, room on the left", {2600, 100, 600, 500}, second, {2000, 100}},
        };
        for (const auto& row : cases) {
            const QPoint placed = PlaceBeside(row.frame, dialog, row.screen);
            QVERIFY2(
                placed == row.expected,
                qPrintable(QString("%1: %2,%3").arg(row.what).arg(placed.x()).arg(placed.y())));
        }
    }
};

const bool registered = RegisterAppTest<DialogPlacementTest>();

}  // namespace
}  // namespace korvane::testing

#include "DialogPlacementTest.moc"
