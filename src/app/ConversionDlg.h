#pragma once
// The "Conversion Progress" dialog: asks for the picture folder, the movie file and the codec,
// turns the pictures into the movie while its progress bar runs, and closes itself. The
// window keeps painting during the conversion; "Abort" or closing it stops after the frame
// in progress, and no movie is left.

#include <QDialog>
#include <string>

#include "app/WindowServices.h"
#include "common/Host.h"
#include "movie/MovieConversion.h"

class QProgressBar;

namespace korvane {

class CConversionDlg : public QDialog, public Host {
    Q_OBJECT
  public:
    explicit CConversionDlg(WindowServices services, QWidget* parent = nullptr);

    // Shows the dialog modally; the whole conversion runs as soon as it stands on screen.
    int DoModal();

    // The conversion's window: a progress bar, message boxes, and the user's abort.
    void SetProgressRange(int lower, int upper) override;
    void SetProgressPosition(int position) override;
    void DrainMessageQueue() override;
    bool CancelRequested() const override { return m_cancel; }
    void MessageBoxA(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;

    std::string m_strFolder;
    std::string m_strMovie;
    QProgressBar* m_progress = nullptr;

    // How the conversion ended; Failed also when it never began (a chooser cancelled).
    ConversionOutcome outcome() const { return m_outcome; }
    bool IsConverting() const { return m_converting; }

  public slots:
    // "Abort", Escape or closing: during the conversion a request to stop after the frame in
    // progress; the dialog closes when the conversion has returned.
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // Folder, movie file, codec, conversion; ends the dialog in every case.
    void OnInitDialog();

    // The folder holds pictures: else the box of an empty folder is shown.
    bool FolderHasPictures();
    void Convert(const std::string& codec);

    WindowServices m_services;
    bool m_converting = false;
    bool m_cancel = false;
    ConversionOutcome m_outcome = ConversionOutcome::Failed;
};

}  // namespace korvane
