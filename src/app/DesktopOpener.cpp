#include "app/DesktopOpener.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace korvane {

bool QtDesktopOpener::Open(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

}  // namespace korvane
