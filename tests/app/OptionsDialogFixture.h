#pragma once
// An Options dialog opened on a temporary "Setup.ini", with fake choosers and message boxes.

#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <memory>
#include <string>

#include "FakeWindowServices.h"
#include "app/OptionsDlg.h"
#include "setup/CalculateCommand.h"
#include "setup/SetupFile.h"
#include "support/SetupBuilder.h"
#include "support/TempDir.h"

namespace korvane::testing {

class OptionsDialogFixture {
  public:
    TempDir dir;
    FakeChoosers choosers;
    FakeMessageBoxes boxes;
    std::unique_ptr<CalculationWorkspace> workspace = std::make_unique<CalculationWorkspace>();
    std::unique_ptr<OptionsDlg> dialog;

    std::string iniPath() const { return dir.file("Setup.ini"); }

    // Writes `setup` as "Setup.ini", then opens the dialog in `mode`.
    OptionsDlg& OpenWith(CalculationKind mode, const CalculationSetup& setup) {
        if (!SaveSetupFile(setup, iniPath()).ok()) {
            qFatal("cannot write the test's Setup.ini");
        }
        return Open(mode);
    }

    // Opens the dialog in `mode` on whatever "Setup.ini" the folder holds.
    OptionsDlg& Open(CalculationKind mode, const std::string& exampleFolder = "") {
        dialog = std::make_unique<OptionsDlg>(mode, *workspace, WindowServices{choosers, boxes},
                                              OptionsDlgFiles{iniPath(), exampleFolder});
        dialog->show();
        return *dialog;
    }

    // The dialog's control of that object name.
    template <typename Widget>
    Widget* Find(const QString& name) const {
        return dialog->findChild<Widget*>(name);
    }
    QLineEdit* Edit(const QString& name) const { return Find<QLineEdit>(name); }
    QString Text(const QString& name) const { return Edit(name)->text(); }
    bool Enabled(const QString& name) const { return Find<QWidget>(name)->isEnabled(); }
    void Click(const QString& name) const { Find<QAbstractButton>(name)->click(); }

    // "Calculate!", then the window's event loop runs until the worker is done and the
    // dialog has ended.
    void Calculate() const {
        QSignalSpy finished(dialog.get(), &OptionsDlg::calculationFinished);
        Click("calculateButton");
        if (dialog->IsCalculating() && !finished.wait(60000)) {
            qFatal("the calculation did not end within a minute");
        }
    }
};

}  // namespace korvane::testing
