#include "app/QtChoosers.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QStringList>

#include "app/FileFilter.h"
#include "movie/MovieContainers.h"
#include "movie/MovieConversion.h"

namespace korvane {

std::optional<std::string> QtChoosers::ChooseFile(QWidget* owner, FileDialogKind kind,
                                                  const std::string& defaultExtension,
                                                  const std::string& filter,
                                                  const std::string& startFolder) {
    QFileDialog dialog(owner);
    if (!startFolder.empty() && QFileInfo(QString::fromStdString(startFolder)).isDir()) {
        dialog.setDirectory(QString::fromStdString(startFolder));
    }
    dialog.setNameFilter(QtFileFilter(filter));
    // Neither kind insists on an existing file, and neither asks before replacing one.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setAcceptMode(kind == FileDialogKind::Save ? QFileDialog::AcceptSave
                                                      : QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    std::string path = dialog.selectedFiles().front().toStdString();
    if (kind == FileDialogKind::Save) {
        path = WithDefaultExtension(path, defaultExtension);
    }
    return path;
}

std::optional<std::string> QtChoosers::BrowseForFolder(QWidget* owner, const std::string& title) {
    const QString folder = QFileDialog::getExistingDirectory(owner, QString::fromStdString(title));
    if (folder.isEmpty()) {
        return std::nullopt;
    }
    return folder.toStdString();
}

std::optional<std::string> QtChoosers::ChooseCodec(QWidget* owner,
                                                   const std::vector<std::string>& codecs) {
    QStringList items;
    for (const std::string& codec : codecs) {
        items << QString::fromStdString(CodecDescription(codec));
    }
    bool chosen = false;
    const QString item =
        QInputDialog::getItem(owner, "Video Compression", "Compressor:", items, 0, false, &chosen);
    const qsizetype index = items.indexOf(item);
    if (!chosen || index < 0) {
        return std::nullopt;
    }
    return codecs[static_cast<std::size_t>(index)];
}

}  // namespace korvane
