#include "app/QtChoosers.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QRegularExpression>
#include <QStringList>

#include "app/FileFilter.h"
#include "app/SeriesChooserDlg.h"
#include "movie/MovieContainers.h"
#include "movie/MovieConversion.h"

namespace korvane {

namespace {

// "mp4" for the filter "MP4 Movies(*.mp4)"; empty when it names no extension.
QString FilterSuffix(const QString& filter) {
    const qsizetype star = filter.indexOf("*.");
    return star < 0 ? QString() : filter.mid(star + 2).section(QRegularExpression("[ ;)]"), 0, 0);
}

}  // namespace

std::optional<std::string> QtChoosers::ChooseFile(QWidget* owner, FileDialogKind kind,
                                                  const std::string& defaultExtension,
                                                  const std::string& filter,
                                                  const std::string& startFolder) {
    QFileDialog dialog(owner);
    if (!startFolder.empty() && QFileInfo(QString::fromStdString(startFolder)).isDir()) {
        dialog.setDirectory(QString::fromStdString(startFolder));
    }
    dialog.setNameFilter(QtFileFilter(filter));
    // No kind insists on an existing file; only the asking save asks before replacing one.
    const bool asking = kind == FileDialogKind::SaveAskingToReplace;
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !asking);
    dialog.setAcceptMode(kind == FileDialogKind::Open ? QFileDialog::AcceptOpen
                                                      : QFileDialog::AcceptSave);
    if (asking) {
        // The dialog adds the extension itself before it asks, so it asks about the file
        // that will really be replaced; the filter chosen names the extension.
        dialog.setDefaultSuffix(QString::fromStdString(defaultExtension).mid(1));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog](const QString& chosen) {
                             if (const QString suffix = FilterSuffix(chosen); !suffix.isEmpty()) {
                                 dialog.setDefaultSuffix(suffix);
                             }
                         });
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    std::string path = dialog.selectedFiles().front().toStdString();
    if (kind != FileDialogKind::Open) {
        // A desktop's own file dialog may leave the suffix to the caller: the filter chosen
        // still names it.
        const QString suffix = asking ? FilterSuffix(dialog.selectedNameFilter()) : QString();
        path =
            WithDefaultExtension(path, suffix.isEmpty() ? defaultExtension : suffix.toStdString());
    }
    return path;
}

std::optional<std::string> QtChoosers::BrowseForFolder(QWidget* owner, const std::string& title,
                                                       const std::string& startFolder) {
    QString start;
    if (!startFolder.empty() && QFileInfo(QString::fromStdString(startFolder)).isDir()) {
        start = QString::fromStdString(startFolder);
    }
    const QString folder =
        QFileDialog::getExistingDirectory(owner, QString::fromStdString(title), start);
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

namespace korvane {

std::optional<std::size_t> QtChoosers::ChooseSeries(QWidget* owner,
                                                    const std::vector<SeriesDescription>& series,
                                                    std::size_t preselected) {
    SeriesChooserDlg dialog(series, preselected, owner);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.chosen();
}

}  // namespace korvane
