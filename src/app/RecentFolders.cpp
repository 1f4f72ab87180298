#include "app/RecentFolders.h"

#include <QDir>
#include <QSettings>

namespace korvane {
namespace {

const char* const Key = "Viewer/RecentFolders";

}  // namespace

QStringList RecentFolders::Load() const {
    return QSettings().value(Key).toStringList();
}

void RecentFolders::Add(const QString& folder) {
    const QString clean = QDir::cleanPath(folder);
    QStringList folders = Load();
    folders.removeAll(clean);
    folders.prepend(clean);
    while (folders.size() > MaxFolders) {
        folders.removeLast();
    }
    QSettings().setValue(Key, folders);
}

}  // namespace korvane
