// The desktop program's command line, and a file named on it opening the Options dialog.

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <cctype>

#include "AppTestRegistry.h"
#include "FakeWindowServices.h"
#include "app/CommandLine.h"
#include "app/KorvaneApp.h"
#include "app/OptionsDlg.h"
#include "setup/SetupFile.h"
#include "support/TempDir.h"

namespace korvane::testing {
namespace {

using Action = CommandLine::Action;

struct Opened {
    int mode = 0;
    QString path, xMin, radius;
};

// Opens `file` as the command line would and reads the Options dialog it shows.
Opened OpenAndRead(const std::string& file, const TempDir& dir) {
    FakeChoosers choosers;
    FakeMessageBoxes boxes;
    KorvaneApp app({choosers, boxes}, OptionsDlgFiles{dir.file("Setup.ini"), ""});
    app.Start();
    Opened seen;
    QTimer::singleShot(0, [&seen] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr) {
            return;
        }
        const auto text = [dialog](const char* name) {
            return dialog->findChild<QLineEdit*>(name)->text();
        };
        seen.path = text("eventFileBox");
        seen.xMin = text("xMinBox");
        seen.radius = text("radiusBox");
        dialog->close();
    });
    app.OpenFile(file);
    seen.mode = app.calculationMode();
    return seen;
}

class CommandLineTest : public QObject {
    Q_OBJECT
  private slots:
    void parsesAFileHelpVersionAndMistakes() {
        QCOMPARE(ParseCommandLine({}).action, Action::Run);
        QCOMPARE(ParseCommandLine({}).file, std::string());
        const CommandLine one = ParseCommandLine({"run 7/events.dat"});
        QCOMPARE(one.action, Action::Run);
        QCOMPARE(one.file, std::string("run 7/events.dat"));
        // Help and version win over anything else, wherever they stand.
        QCOMPARE(ParseCommandLine({"a", "b", "--bogus", "-h"}).action, Action::PrintHelp);
        QCOMPARE(ParseCommandLine({"--version", "--help"}).action, Action::PrintHelp);
        QCOMPARE(ParseCommandLine({"x.dat", "--version"}).action, Action::PrintVersion);
        // After "--" everything is a file.
        const CommandLine dashed = ParseCommandLine({"--", "--version"});
        QCOMPARE(dashed.action, Action::Run);
        QCOMPARE(dashed.file, std::string("--version"));
        QCOMPARE(ParseCommandLine({"-"}).file, std::string("-"));

        const CommandLine unknown = ParseCommandLine({"--bogus"});
        QCOMPARE(unknown.action, Action::Error);
        QVERIFY(unknown.error.find("--bogus") != std::string::npos);
        QCOMPARE(ParseCommandLine({"a.dat", "b.dat"}).action, Action::Error);
    }

    void versionAndUsageTexts() {
        const std::string version = VersionText();
        QVERIFY(version.rfind("korvane ", 0) == 0 && version.back() == '\n');
        QVERIFY(version.size() > 10 && std::isdigit(static_cast<unsigned char>(version[8])));
        QVERIFY(version.find("\nLicensed under the Apache License 2.0\n") != std::string::npos);
        QVERIFY(UsageText().rfind("Usage: korvane [FILE]", 0) == 0);
        for (const char* written : {"BMP or PNG", "(JSON)", "(TIFF)", ".mkv H.264 else FFV1"}) {
            QVERIFY2(UsageText().find(written) != std::string::npos, written);
        }
        QVERIFY(IsSetupFileName("/a/Run.INI"));
        QVERIFY(!IsSetupFileName("/a/ini"));
        QVERIFY(!IsSetupFileName("/a/events.dat"));
    }

    void anEventFileOpensTheSpatialDialogWithIt() {
        TempDir dir;
        CalculationSetup last;
        last.Amin = 2;
        QVERIFY(SaveSetupFile(last, dir.file("Setup.ini")).ok());
        const Opened seen = OpenAndRead(dir.file("cloud.dat"), dir);
        QCOMPARE(seen.mode, 1);
        QCOMPARE(seen.path, QString::fromStdString(dir.file("cloud.dat")));
        QCOMPARE(seen.xMin, QString("2.000"));  // the rest as the dialog last had it
        // Closing the dialog keeps the file for the next opening.
        CalculationSetup saved;
        QVERIFY(LoadSetupFile(saved, dir.file("Setup.ini")).ok());
        QCOMPARE(saved.FilePath, dir.file("cloud.dat"));
    }

    void aRelativeNameIsTakenFromTheCurrentFolder() {
        TempDir dir;
        const QString before = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(dir.path().string()));
        const Opened seen = OpenAndRead("sub/cloud.dat", dir);
        QDir::setCurrent(before);
        QCOMPARE(seen.path, QString::fromStdString(dir.file("sub/cloud.dat")));
    }

    void aSetupFileIsLoadedAsAWhole() {
        TempDir dir;
        CalculationSetup setup;
        setup.FilePath = "/data/cloud.dat";
        setup.Amin = 5;
        setup.Radius = 3;
        QVERIFY(SaveSetupFile(setup, dir.file("run.INI")).ok());
        const Opened seen = OpenAndRead(dir.file("run.INI"), dir);
        QCOMPARE(seen.mode, 1);
        QCOMPARE(seen.path, QString("/data/cloud.dat"));
        QCOMPARE(seen.xMin, QString("5.000"));
        QCOMPARE(seen.radius, QString("3"));

        // A setup that cannot be read changes nothing, as with "Load Setup".
        const Opened missing = OpenAndRead(dir.file("missing.ini"), dir);
        QCOMPARE(missing.path, QString("/data/cloud.dat"));  // from "Setup.ini" of the close
    }
};

const bool registered = RegisterAppTest<CommandLineTest>();

}  // namespace
}  // namespace korvane::testing

#include "CommandLineTest.moc"
