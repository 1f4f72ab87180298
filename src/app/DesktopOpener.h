#pragma once
// Folders and files handed to the desktop's own programs (a file manager, a movie player),
// behind an interface so a test can answer for the desktop, and say no.

#include <string>

class QWidget;

namespace korvane {

class MessageBoxes;

class DesktopOpener {
  public:
    virtual ~DesktopOpener() = default;
    // Opens `path` (a folder, or a file in its program); false when nothing took it.
    virtual bool Open(const std::string& path) = 0;
};

// The desktop's own opener (QDesktopServices, which asks xdg-open on Linux).
DesktopOpener& SystemOpener();

// The box when nothing opened `path`: it names the folder, so the user can go there.
std::string CannotOpenText(const std::string& path, bool isFolder);

// Opens `path` with `opener`; when that fails, says so in a box over `owner`.
void OpenOrReport(DesktopOpener& opener, MessageBoxes& boxes, QWidget* owner,
                  const std::string& path);

}  // namespace korvane
