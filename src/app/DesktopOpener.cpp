#include "app/DesktopOpener.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "app/MessageBoxes.h"
#include "common/Paths.h"

namespace korvane {

namespace {

class QtDesktopOpener : public DesktopOpener {
  public:
    bool Open(const std::string& path) override {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
    }
};

}  // namespace

DesktopOpener& SystemOpener() {
    static QtDesktopOpener opener;
    return opener;
}

std::string CannotOpenText(const std::string& path, bool isFolder) {
    if (isFolder) {
        return "Cannot show the folder " + path + ": no file manager is set up to open it.";
    }
    return "Cannot open " + path + ": no program is set up to open it. It is in the folder " +
           FolderOf(path) + ".";
}

void OpenOrReport(DesktopOpener& opener, MessageBoxes& boxes, QWidget* owner,
                  const std::string& path) {
    if (opener.Open(path)) {
        return;
    }
    const bool isFolder = QFileInfo(QString::fromStdString(path)).isDir();
    boxes.Show(owner, CannotOpenText(path, isFolder), "Error", MessageIcon::Stop);
}

}  // namespace korvane
