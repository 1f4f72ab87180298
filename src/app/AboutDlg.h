#pragma once
// The About box: the icon, the program's name and version, and OK.

#include <QDialog>

namespace korvane {

class AboutDlg : public QDialog {
    Q_OBJECT
  public:
    explicit AboutDlg(QWidget* parent = nullptr);

    int Run() { return exec(); }
};

}  // namespace korvane
