#include "app/ConversionDlg.h"

#include <QCloseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <exception>
#include <memory>

#include "app/Choosers.h"
#include "app/DialogUnits.h"
#include "app/MessageBoxes.h"
#include "movie/ConversionProgress.h"
#include "movie/MovieContainers.h"
#include "movie/MovieConversion.h"
#include "movie/PictureSeriesListing.h"

namespace korvane {

// The containers a movie can be saved in; the extension chosen picks the container.
const char* const MovieFileFilter =
    "Movie-Files(*.avi)|*.avi|MP4 Movies(*.mp4)|*.mp4|Matroska Movies(*.mkv)|*.mkv|"
    "WebM Movies(*.webm)|*.webm||";

ConversionDlg::ConversionDlg(WindowServices services, QWidget* parent)
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

int ConversionDlg::Run() {
    // Run the flow once the modal loop stands and the dialog is shown, behind the choosers.
    QMetaObject::invokeMethod(this, &ConversionDlg::AskAndConvert, Qt::QueuedConnection);
    return exec();
}

void ConversionDlg::AskAndConvert() {
    if (AskAndStart()) {
        return;  // the dialog ends when the worker is done
    }
    done(1);
}

bool ConversionDlg::AskAndStart() {
    const std::optional<std::string> folder =
        m_services.choosers.BrowseForFolder(nullptr, "", m_startFolder);
    if (!folder) {
        return false;
    }
    m_strFolder = *folder;
    // The folder is looked at before the movie's name is asked for.
    const std::optional<std::string> prefix = ChooseSeries();
    if (!prefix) {
        return false;
    }
    m_prefix = *prefix;
    // The movie goes beside its pictures unless the user saves it elsewhere.
    const std::optional<std::string> movie = m_services.choosers.ChooseFile(
        this, FileDialogKind::SaveAskingToReplace, ".avi", MovieFileFilter, m_strFolder);
    if (!movie) {
        return false;
    }
    m_strMovie = *movie;
    const MovieContainer container = ContainerOfPath(m_strMovie);
    const std::vector<std::string> codecs = AvailableCodecs(container);
    if (codecs.empty()) {
        // ".avi" names the AVI movies, and so on.
        const QString kind = QString(ContainerExtension(container)).mid(1).toUpper();
        Message({"No video codec can write " + kind.toStdString() + " movies on this system.",
                 "Movie not written", MessageIcon::Stop});
        return false;
    }
    // Choosing no codec is a cancel like the choosers before: no movie, no box.
    const std::optional<std::string> codec = m_services.choosers.ChooseCodec(this, codecs);
    if (!codec) {
        return false;
    }
    Convert(*codec);
    return true;
}

std::optional<std::string> ConversionDlg::ChooseSeries() {
    std::vector<SeriesDescription> series;
    std::string prefix;
    if (DescribePictureSeries(m_strFolder, series).ok() && series.size() > 1) {
        // Cancelling the choice is a cancel like the choosers': no movie, no box.
        const std::optional<std::size_t> chosen = m_services.choosers.ChooseSeries(
            this, series, static_cast<std::size_t>(NewestSeries(series)));
        if (!chosen || *chosen >= series.size()) {
            return std::nullopt;
        }
        prefix = series[*chosen].prefix;
    }
    // A folder that holds no series the movie can use (none, or BMP and PNG pictures of one
    // series) gets the box of an empty folder.
    PictureSeries listed;
    if (ListPictureSeries(m_strFolder, listed, prefix).ok() && listed.count > 0) {
        return prefix;
    }
    Message({"Folder does not contain pictures!", "Empty folder!", MessageIcon::Stop});
    return std::nullopt;
}

void ConversionDlg::Convert(const std::string& codec) {
    m_converting = true;
    auto result = std::make_shared<ConversionResult>();
    const bool started = m_worker.Start(
        [folder = m_strFolder, movie = m_strMovie, codec, prefix = m_prefix,
         result](RunObserver& observer) {
            try {
                *result = ConvertPicturesToMovie(folder, movie, codec, observer, prefix);
            } catch (const std::exception& error) {
                result->outcome = ConversionOutcome::Failed;
                result->message =
                    UserMessage{error.what(), "Conversion Progress", MessageIcon::Stop};
            }
        },
        [this, result] { FinishConversion(*result); });
    if (!started) {
        FinishConversion(ConversionResult{});
    }
}

void ConversionDlg::FinishConversion(const ConversionResult& result) {
    m_result = result;
    if (result.message) {
        Message(*result.message);
    } else if (!result.note.empty()) {
        // The movie was written, but of one series among several, or of one picture.
        Message({result.note, "Movie written", MessageIcon::Information});
    }
    m_converting = false;
    emit conversionFinished();
    done(1);
}

void ConversionDlg::reject() {
    if (m_converting) {
        m_worker.RequestStop();
        return;
    }
    QDialog::reject();
}

void ConversionDlg::closeEvent(QCloseEvent* event) {
    if (m_converting) {
        m_worker.RequestStop();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void ConversionDlg::PhaseStarted(RunPhase /*phase*/, long long total) {
    // The frames from 1; a bar of a 16-bit range, as the conversion has always shown it.
    SetProgressRange(*m_progress, 1, ProgressUpperBound(static_cast<int>(total)));
    m_frames = static_cast<int>(total);
}

void ConversionDlg::Progress(long long done) {
    SetProgressPosition(*m_progress, ProgressPosition(static_cast<int>(done), m_frames));
    emit progressText(QString("Movie: frame %1 of %2").arg(done).arg(m_frames));
}

void ConversionDlg::Message(const UserMessage& message) {
    m_services.messageBoxes.Show(this, message.text, message.caption, message.icon);
}

}  // namespace korvane
