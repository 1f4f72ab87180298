// The main window, and the application's menu commands.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "AppTestRegistry.h"
#include "FakeWindowServices.h"
#include "app/AboutDlg.h"
#include "app/Artwork.h"
#include "app/KorvaneApp.h"
#include "app/MainFrame.h"
#include "app/OptionsDlg.h"
#include "app/SplashView.h"
#include "support/TempDir.h"

namespace korvane::testing {
namespace {

// Runs `inspect` on the modal dialog the next command opens, then closes it.
void InspectNextModalDialog(std::function<void(QWidget*)> inspect) {
    QTimer::singleShot(0, [inspect] {
        QWidget* dialog = QApplication::activeModalWidget();
        inspect(dialog);
        if (dialog) {
            dialog->close();
        }
    });
}

class MainFrameTest : public QObject {
    Q_OBJECT
  private slots:
    void windowOpensAt700By500AndMayBeResized() {
        MainFrame frame;
        frame.show();
        QCOMPARE(frame.size(), QSize(700, 500));
        QVERIFY(frame.minimumSize() != frame.maximumSize());
        frame.resize(1000, 800);
        QTRY_COMPARE(frame.size(), QSize(1000, 800));
        QCOMPARE(frame.windowTitle(), QString("Korvane"));
        QVERIFY(frame.windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(frame.windowFlags() & Qt::WindowMaximizeButtonHint);
    }

    void menusWithTheirMnemonicsAndNoSeparators() {
        MainFrame frame;
        const QStringList expected[] = {
            {"&File", "Open Pictures...", "Import Catalogue...", "Recent", "E&xit"},
            {"&Calculation", "Spatial Resolved", "Time Resolved", "Output Options..."},
            {"&Conversion", "Create Movie"},
            {"&View", "&Status Bar"},
            {"&Help", "&About Korvane..."}};
        const QList<QAction*> popups = frame.menuBar()->actions();
        QCOMPARE(popups.size(), 5);
        for (int i = 0; i < popups.size(); ++i) {
            QStringList seen{popups[i]->text()};
            for (QAction* item : popups[i]->menu()->actions()) {
                QVERIFY(!item->isSeparator());
                seen << item->text();
            }
            QCOMPARE(seen, expected[i]);
        }
        QCOMPARE(frame.commands().spatialResolved->data().toInt(), 32775);
        QCOMPARE(frame.commands().createMovie->data().toInt(), 32782);
    }

    void statusBarShowsReadyPromptsAndIndicators() {
        MainFrame frame;
        frame.show();
        QCOMPARE(frame.findChild<QLabel*>("ID_SEPARATOR")->text(), QString("Ready"));
        for (const char* name : {"ID_INDICATOR_CAPS", "ID_INDICATOR_NUM", "ID_INDICATOR_SCRL"}) {
            QVERIFY(frame.findChild<QLabel*>(name)->isVisible());
        }
        frame.commands().exit->showStatusText(&frame);
        QCOMPARE(frame.statusBar()->currentMessage(),
                 QString("Quit the application; prompts to save documents"));
        frame.commands().spatialResolved->showStatusText(&frame);  // no prompt: back to "Ready"
        QCOMPARE(frame.statusBar()->currentMessage(), QString());
    }

    void statusBarToggleHidesAndShowsWithCheckMark() {
        MainFrame frame;
        frame.show();
        QVERIFY(frame.commands().statusBarToggle->isChecked());
        frame.commands().statusBarToggle->trigger();
        QVERIFY(!frame.statusBar()->isVisible());
        QVERIFY(!frame.commands().statusBarToggle->isChecked());
        frame.commands().statusBarToggle->trigger();
        QVERIFY(frame.statusBar()->isVisible());
        QVERIFY(frame.commands().statusBarToggle->isChecked());
    }

    void paneKeysDoNothing() {
        MainFrame frame;
        frame.show();
        QCOMPARE(frame.commands().nextPane->shortcut(), QKeySequence(Qt::Key_F6));
        QCOMPARE(frame.commands().previousPane->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F6));
        QTest::keyClick(&frame, Qt::Key_F6);
        QTest::keyClick(&frame, Qt::Key_F6, Qt::ShiftModifier);
        QVERIFY(frame.isVisible());
        QVERIFY(frame.statusBar()->isVisible());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    void bannerStandsAtItsPlace() {
        MainFrame frame;
        frame.show();
        SplashView* view = frame.banner();
        const QImage shown = view->grab().toImage();
        const QImage banner = MakeBanner();
        const QPoint origin =
            view->contentsRect().topLeft() + QPoint(SplashView::BannerLeft, SplashView::BannerTop);
        // Corners of the frame and a point of the rule above the name.
        for (const QPoint& p : {QPoint(12, 12), QPoint(586, 348), QPoint(300, 111), QPoint(5, 5)}) {
            QCOMPARE(shown.pixelColor(origin + p), banner.pixelColor(p));
        }
        QCOMPARE(banner.pixelColor(12, 12), QColor(Qt::black));
        QCOMPARE(banner.pixelColor(5, 5), QColor(Qt::white));
    }

    void iconComesInBothSizes() {
        const QList<QSize> sizes = MakeAppIcon().availableSizes();
        QVERIFY(sizes.contains(QSize(32, 32)));
        QVERIFY(sizes.contains(QSize(16, 16)));
    }

    void commandsSetTheModeAndOpenTheirDialogs() {
        TempDir dir;
        FakeChoosers choosers;
        FakeMessageBoxes boxes;
        KorvaneApp app({choosers, boxes}, OptionsDlgFiles{dir.file("Setup.ini"), ""});
        QVERIFY(app.Start());
        QVERIFY(!app.calculationKind());
        QCOMPARE(QCoreApplication::organizationName(), QString("Korvane-temporary"));

        // A small window in a corner: the Options dialog opens beside it, not over it.
        app.mainFrame()->setGeometry(0, 0, 160, 120);
        bool perspectiveEnabled = true;
        QRect dialogPlace;
        InspectNextModalDialog([&](QWidget* dialog) {
            QVERIFY(qobject_cast<OptionsDlg*>(dialog));
            perspectiveEnabled = dialog->findChild<QWidget*>("perspectiveRadio")->isEnabled();
            dialogPlace = dialog->geometry();
        });
        app.mainFrame()->commands().spatialResolved->trigger();
        QVERIFY(!dialogPlace.isEmpty());
        // What each window shows, without the decoration (which the off-screen platform only
        // knows once a window is shown).
        QVERIFY(!dialogPlace.intersects(app.mainFrame()->geometry()));
        QVERIFY(app.calculationKind() == CalculationKind::Spatial);
        QVERIFY(!perspectiveEnabled);
        QVERIFY(std::filesystem::exists(dir.file("Setup.ini")));

        InspectNextModalDialog([&](QWidget* dialog) {
            perspectiveEnabled = dialog->findChild<QWidget*>("perspectiveRadio")->isEnabled();
        });
        app.mainFrame()->commands().timeResolved->trigger();
        QVERIFY(app.calculationKind() == CalculationKind::Time);
        QVERIFY(perspectiveEnabled);

        // The folder chooser is cancelled: the conversion dialog closes by itself, silently.
        app.mainFrame()->commands().createMovie->trigger();
        QVERIFY(!app.calculationKind());  // a movie is no calculation
        QCOMPARE(choosers.folderQuestions, 1);
        QVERIFY(boxes.shown.empty());

        QString aboutTitle;
        QString version;
        QString licence;
        InspectNextModalDialog([&](QWidget* dialog) {
            aboutTitle = dialog->windowTitle();
            version = dialog->findChild<QLabel*>("IDC_VERSION")->text();
            licence = dialog->findChild<QLabel*>("IDC_LICENCE")->text();
        });
        app.mainFrame()->commands().about->trigger();
        QCOMPARE(aboutTitle, QString("About Korvane"));
        QCOMPARE(version, QString("Korvane Version 1.0"));
        QVERIFY(licence.endsWith("Licensed under the Apache License 2.0"));
        QVERIFY(!app.calculationKind());  // the About box leaves it alone
    }
};

const bool registered = RegisterAppTest<MainFrameTest>();

}  // namespace
}  // namespace korvane::testing

#include "MainFrameTest.moc"
