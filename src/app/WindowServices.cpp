#include "app/WindowServices.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProgressBar>
#include <algorithm>

namespace korvane {

void DrainMessageQueue() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void SetProgressRange(QProgressBar& bar, int lower, int upper) {
    // A reversed range would make the bar show nothing; keep it one step wide at least.
    bar.setRange(lower, std::max(lower, upper));
}

void SetProgressPosition(QProgressBar& bar, int position) {
    bar.setValue(std::clamp(position, bar.minimum(), bar.maximum()));
    // Paint at once: the movie conversion does not hand control back to the event loop until
    // it is done, and the user should still see the bar move.
    bar.repaint();
}

}  // namespace korvane
