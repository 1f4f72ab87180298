#pragma once
// The "Conversion Progress" dialog: asks for the picture folder, the movie file and the codec,
// turns the pictures into the movie while its progress bar runs, and closes itself.

#include <QDialog>
#include <string>

#include "app/WindowServices.h"
#include "common/Host.h"

class QProgressBar;

namespace korvane {

class CConversionDlg : public QDialog, public Host {
    Q_OBJECT
  public:
    explicit CConversionDlg(WindowServices services, QWidget* parent = nullptr);

    // Shows the dialog modally; the whole conversion runs as soon as it stands on screen.
    int DoModal();

    // The conversion's window: a progress bar, and message boxes. It neither drains messages
    // nor can it be aborted once the conversion has begun.
    void SetProgressRange(int lower, int upper) override;
    void SetProgressPosition(int position) override;
    void DrainMessageQueue() override {}
    bool CancelRequested() const override { return false; }
    void MessageBoxA(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;

    std::string m_strFolder;
    std::string m_strMovie;
    QProgressBar* m_progress = nullptr;

  private:
    // Folder, movie file, codec, conversion; ends the dialog in every case.
    void OnInitDialog();

    WindowServices m_services;
};

}  // namespace korvane
