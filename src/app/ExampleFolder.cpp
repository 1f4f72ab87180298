#include "app/ExampleFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "setup/SetupFile.h"

namespace korvane {

std::string BundledExampleFolder() {
    QStringList candidates;
#ifdef KORVANE_SOURCE_DIR
    candidates << QString(KORVANE_SOURCE_DIR) + "/examples";
#endif
    candidates << QCoreApplication::applicationDirPath() + "/../../../examples";
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate + "/events.dat").isFile()) {
            return QDir::cleanPath(QFileInfo(candidate).absoluteFilePath()).toStdString();
        }
    }
    return {};
}

std::string DefaultSetupIniPath() {
    return SetupIniPath(QCoreApplication::applicationFilePath().toStdString());
}

}  // namespace korvane
