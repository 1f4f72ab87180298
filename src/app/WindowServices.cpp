#include "app/WindowServices.h"

#include <QProgressBar>
#include <algorithm>

#include "app/DesktopOpener.h"

namespace korvane {

void SetProgressRange(QProgressBar& bar, int lower, int upper) {
    // A reversed range would make the bar show nothing; keep it one step wide at least.
    bar.setRange(lower, std::max(lower, upper));
}

void SetProgressPosition(QProgressBar& bar, int position) {
    bar.setValue(std::clamp(position, bar.minimum(), bar.maximum()));
}

bool OpenWithDesktop(const WindowServices& services, const std::string& path) {
    if (services.opener != nullptr) {
        return services.opener->Open(path);
    }
    QtDesktopOpener desktop;
    return desktop.Open(path);
}

}  // namespace korvane
