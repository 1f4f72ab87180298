#pragma once
// The "Conversion Progress" dialog: asks for the picture folder, the movie file and the codec,
// turns the pictures into the movie on a worker while its progress bar runs, and closes
// itself. "Abort", Escape or closing it stop after the frame in progress, and no movie is
// left.

#include <QDialog>
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
    ConversionOutcome outcome() const { return m_outcome; }
    bool IsConverting() const { return m_converting; }
    bool StopRequested() const { return m_worker.StopRequested(); }

  signals:
    // The conversion ended and its box, if any, was shown; the dialog closes next.
    void conversionFinished();

  public slots:
    // "Abort", Escape or closing: during the conversion a request to stop after the frame in
    // progress; the dialog closes when the conversion has returned.
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // Folder, movie file, codec, conversion; ends the dialog in every case.
    void AskAndConvert();

    // The folder holds pictures: else the box of an empty folder is shown.
    bool FolderHasPictures();
    void Convert(const std::string& codec);
    void FinishConversion(const ConversionResult& result);

    WindowServices m_services;
    bool m_converting = false;
    ConversionOutcome m_outcome = ConversionOutcome::Failed;
    int m_frames = 0;
    RunWorker m_worker{*this};  // last: ends (stopping the conversion) before the rest goes
};

}  // namespace korvane
