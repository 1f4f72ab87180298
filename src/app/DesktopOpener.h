#pragma once
// Opening a file or a folder with the program the desktop has for it (xdg-open and the like),
// behind an interface so a test can see what was opened and answer that it failed.

#include <string>

namespace korvane {

class DesktopOpener {
  public:
    virtual ~DesktopOpener() = default;

    // Opens `path`; false when the desktop has no program for it.
    virtual bool Open(const std::string& path) = 0;
};

// Qt's desktop services: xdg-open or the desktop's portal.
class QtDesktopOpener : public DesktopOpener {
  public:
    bool Open(const std::string& path) override;
};

}  // namespace korvane
