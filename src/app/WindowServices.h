#pragma once
// The window-system services the dialogs use, bundled so the application can hand them over
// (and a test can hand over fakes).

class QProgressBar;

namespace korvane {

class Choosers;
class DesktopOpener;
class MessageBoxes;

struct WindowServices {
    Choosers& choosers;
    MessageBoxes& messageBoxes;
    DesktopOpener* opener = nullptr;  // "Show in Folder", opening a file; null: the desktop's

    DesktopOpener& Opener() const;
};

// The progress bar of a dialog. Positions outside the range are clamped to it, as a classic
// progress control does, instead of being dropped.
void SetProgressRange(QProgressBar& bar, int lower, int upper);
void SetProgressPosition(QProgressBar& bar, int position);

}  // namespace korvane
