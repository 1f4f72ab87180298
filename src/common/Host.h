#pragma once
// Everything a calculation or a conversion needs from a window: progress, the user's cancel,
// a chance for the window to handle its messages, and message boxes. The Options dialog
// implements it on Qt, the batch front end on standard error, the tests with a recorder.

#include <string>

#include "common/UserMessage.h"

namespace korvane {

class Host {
  public:
    virtual ~Host() = default;

    // The progress bar's range and position (lower and upper inclusive).
    virtual void SetProgressRange(int lower, int upper) = 0;
    virtual void SetProgressPosition(int position) = 0;

    // Let the window handle every pending message (repaint, a close request) and return
    // at once; never waits.
    virtual void DrainMessageQueue() = 0;

    // True once the user closed the window that runs the work (the dialog's m_cancel).
    virtual bool CancelRequested() const = 0;

    // A message box with an OK button; the answer is not needed.
    virtual void MessageBoxA(const std::string& text, const std::string& caption,
                             MessageIcon icon) = 0;
};

}  // namespace korvane
