#pragma once
// The About box: the icon, the program's name and version, and OK.

#include <QDialog>

namespace korvane {

class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    int DoModal() { return exec(); }
};

}  // namespace korvane
