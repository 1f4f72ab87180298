#pragma once
// The window-system services the dialogs use, bundled so the application can hand them over
// (and a test can hand over fakes).

#include <string>

class QProgressBar;

namespace korvane {

class Choosers;
class DesktopOpener;
class MessageBoxes;

struct WindowServices {
    Choosers& choosers;
    MessageBoxes& messageBoxes;
    // Opens a movie or a folder with the desktop's program; none: Qt's desktop services.
    DesktopOpener* opener = nullptr;
};

// Opens `path` with `services`' opener (Qt's desktop services when it has none); false when
// no program opened it.
bool OpenWithDesktop(const WindowServices& services, const std::string& path);

// The progress bar of a dialog. Positions outside the range are clamped to it, as a classic
// progress control does, instead of being dropped.
void SetProgressRange(QProgressBar& bar, int lower, int upper);
void SetProgressPosition(QProgressBar& bar, int position);

}  // namespace korvane
