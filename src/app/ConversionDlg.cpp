#include "app/ConversionDlg.h"

#include <QCloseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <exception>

#include "app/Choosers.h"
#include "app/DialogUnits.h"
#include "app/MessageBoxes.h"
#include "movie/MovieContainers.h"
#include "movie/MovieConversion.h"
#include "movie/PictureSeriesListing.h"

namespace korvane {

// The containers a movie can be saved in; the extension chosen picks the container.
const char* const MovieFileFilter =
    "Movie-Files(*.avi)|*.avi|MP4 Movies(*.mp4)|*.mp4|Matroska Movies(*.mkv)|*.mkv|"
    "WebM Movies(*.webm)|*.webm||";

CConversionDlg::CConversionDlg(WindowServices services, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_services(services) {
    setObjectName("IDD_CONVERSION");
    setWindowTitle("Conversion Progress");
    setFont(DialogFont());
    const DialogBaseUnits units = BaseUnitsOf(font());
    setFixedSize(DialogSizeToPixels(units, 301, 34));

    auto* abort = new QPushButton("Abort", this);
    abort->setObjectName("IDCANCEL");
    abort->setGeometry(DialogRectToPixels(units, 244, 10, 50, 14));
    connect(abort, &QPushButton::clicked, this, &QDialog::reject);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName("IDC_1049");
    m_progress->setGeometry(DialogRectToPixels(units, 7, 12, 233, 9));
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
}

int CConversionDlg::DoModal() {
    // Run the flow once the modal loop stands and the dialog is shown, behind the choosers.
    QMetaObject::invokeMethod(this, &CConversionDlg::OnInitDialog, Qt::QueuedConnection);
    return exec();
}

void CConversionDlg::OnInitDialog() {
    if (std::optional<std::string> folder = m_services.choosers.BrowseForFolder(nullptr, "")) {
        m_strFolder = *folder;
        if (std::optional<std::string> movie = m_services.choosers.ChooseFile(
                this, FileDialogKind::SaveAskingToReplace, ".avi", MovieFileFilter)) {
            m_strMovie = *movie;
            // The folder is looked at before the codec is asked for.
            if (FolderHasPictures()) {
                const MovieContainer container = ContainerOfPath(m_strMovie);
                const std::vector<std::string> codecs = AvailableCodecs(container);
                if (codecs.empty()) {
                    // ".avi" names the AVI movies, and so on.
                    const QString kind = QString(ContainerExtension(container)).mid(1).toUpper();
                    MessageBoxA("No video codec can write " + kind.toStdString() +
                                    " movies on this system.",
                                "Movie not written", MessageIcon::Stop);
                } else if (std::optional<std::string> codec =
                               m_services.choosers.ChooseCodec(this, codecs)) {
                    // Choosing no codec is a cancel like the two choosers before: no movie,
                    // no box.
                    Convert(*codec);
                }
            }
        }
    }
    done(1);
}

bool CConversionDlg::FolderHasPictures() {
    PictureSeries series;
    if (ListPictureSeries(m_strFolder, series).ok() && series.count > 0) {
        return true;
    }
    MessageBoxA("Folder does not contain pictures!", "Empty folder!", MessageIcon::Stop);
    return false;
}

void CConversionDlg::Convert(const std::string& codec) {
    m_cancel = false;
    m_converting = true;
    try {
        const ConversionResult result =
            ConvertPicturesToMovie(m_strFolder, m_strMovie, codec, *this);
        m_outcome = result.outcome;
        if (result.message) {
            MessageBoxA(result.message->text, result.message->caption, result.message->icon);
        } else if (!result.note.empty()) {
            // The movie was written, but of one series among several, or of one picture.
            MessageBoxA(result.note, "Movie written", MessageIcon::Information);
        }
    } catch (const std::exception& error) {
        MessageBoxA(error.what(), "Conversion Progress", MessageIcon::Stop);
    }
    m_converting = false;
}

void CConversionDlg::reject() {
    if (m_converting) {
        m_cancel = true;
        return;
    }
    QDialog::reject();
}

void CConversionDlg::closeEvent(QCloseEvent* event) {
    if (m_converting) {
        m_cancel = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CConversionDlg::DrainMessageQueue() {
    korvane::DrainMessageQueue();
}

void CConversionDlg::SetProgressRange(int lower, int upper) {
    korvane::SetProgressRange(*m_progress, lower, upper);
}

void CConversionDlg::SetProgressPosition(int position) {
    korvane::SetProgressPosition(*m_progress, position);
}

void CConversionDlg::MessageBoxA(const std::string& text, const std::string& caption,
                                 MessageIcon icon) {
    m_services.messageBoxes.Show(this, text, caption, icon);
}

}  // namespace korvane
