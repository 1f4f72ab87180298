#pragma once
// The "Conversion Progress" dialog: asks for the picture folder, the series when the folder
// holds several, the movie file and the codec, turns the pictures into the movie on a worker
// while its progress bar runs, and closes itself. "Abort", Escape or closing it stop after the
// frame in progress, and no movie is left.

#include <QDialog>
#include <optional>
#include <string>

#include "app/RunWorker.h"
#include "app/WindowServices.h"
#include "common/RunObserver.h"
#include "movie/MovieConversion.h"

class QProgressBar;

namespace korvane {

class ConversionDlg : public QDialog, public RunObserver {
    Q_OBJECT
  public:
    explicit ConversionDlg(WindowServices services, QWidget* parent = nullptr);

    // The folder chooser opens in `folder` (the pictures the user saw last) when it exists.
    void SetStartFolder(const std::string& folder) { m_startFolder = folder; }

    // Shows the dialog modally; the whole conversion runs as soon as it stands on screen.
    int Run();

    // The conversion's window, on the window's thread: the bar follows the frames; the
    // worker answers the stop.
    void PhaseStarted(RunPhase phase, long long total) override;
    void Progress(long long done) override;
    bool ShouldStop() override { return false; }
    void Message(const UserMessage& message) override;

    std::string m_strFolder;
    std::string m_strMovie;
    QProgressBar* m_progress = nullptr;

    // How the conversion ended; Failed also when it never began (a chooser cancelled).
    ConversionOutcome outcome() const { return m_result.outcome; }
    // The frames of the movie written; 0 when none was.
    int framesWritten() const { return m_result.frames; }
    bool IsConverting() const { return m_converting; }
    bool StopRequested() const { return m_worker.StopRequested(); }

  signals:
    // The conversion ended and its box, if any, was shown; the dialog closes next.
    void conversionFinished();
    // "Movie: frame k of N", for the main window's status bar.
    void progressText(const QString& text);

  public slots:
    // "Abort", Escape or closing: during the conversion a request to stop after the frame in
    // progress; the dialog closes when the conversion has returned.
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // Folder, series, movie file, codec, conversion; ends the dialog in every case.
    void AskAndConvert();
    // Asks and starts the conversion; false when it did not start (cancelled, or a box).
    bool AskAndStart();

    // The series of the folder to convert: asked for when the folder holds several (the
    // newest chosen at first); "" for the only one. Nothing when the user cancels, or when
    // the folder holds no pictures (after the box of an empty folder).
    std::optional<std::string> ChooseSeries();
    void Convert(const std::string& codec);
    void FinishConversion(const ConversionResult& result);

    WindowServices m_services;
    std::string m_startFolder;
    std::string m_prefix;  // the series chosen; "" when the folder holds one
    bool m_converting = false;
    ConversionResult m_result;
    int m_frames = 0;
    RunWorker m_worker{*this};  // last: ends (stopping the conversion) before the rest goes
};

}  // namespace korvane
