#include "ScreenshotTour.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <initializer_list>

#include "app/ExampleFolder.h"
#include "app/ImportCatalogueDlg.h"
#include "app/KorvaneApp.h"
#include "app/MainFrame.h"
#include "app/PictureCanvas.h"
#include "app/PictureViewer.h"
#include "app/QtChoosers.h"
#include "app/QtMessageBoxes.h"
#include "common/Paths.h"
#include "setup/CalculateCommand.h"
#include "setup/DialogValues.h"
#include "setup/SetupFile.h"

namespace korvane {

namespace {

// Long enough for a window to be mapped and painted under a virtual X server.
constexpr int kSettleMilliseconds = 700;

void Save(QWidget* window, const QString& path) {
    if (!window->grab().save(path)) {
        std::fprintf(stderr, "korvane: could not save %s\n", qPrintable(path));
    }
}

// The part of the screen that shows `windows`, as the user sees them side by side.
void SaveScreenOf(std::initializer_list<QWidget*> windows, const QString& path) {
    QRect shown;
    for (QWidget* window : windows) {
        shown = shown.united(window->frameGeometry());
    }
    QScreen* screen = (*windows.begin())->screen();
    if (screen == nullptr || !screen->grabWindow(0).copy(shown).save(path)) {
        std::fprintf(stderr, "korvane: could not save %s\n", qPrintable(path));
    }
}

// Grabs the modal dialog the next command opens, then closes it (its modal run returns).
void GrabNextModalDialog(const QString& path) {
    QTimer::singleShot(kSettleMilliseconds, [path] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            Save(dialog, path);
            dialog->close();
        }
    });
}

void Settle() {
    QEventLoop settle;
    QTimer::singleShot(kSettleMilliseconds, &settle, &QEventLoop::quit);
    settle.exec();
}

// The bundled example's spatial series, run in `work`: the main window is grabbed halfway
// through and once the last picture shows.
void RunExampleSeries(KorvaneApp& app, const QString& folder, const QTemporaryDir& work) {
    const std::string events = JoinPath(work.path().toStdString(), "events.dat");
    const std::string example = BundledExampleFolder();
    CalculationSetup setup;
    if (!QFile::copy(QString::fromStdString(JoinPath(example, "events.dat")),
                     QString::fromStdString(events)) ||
        !LoadSetupFile(setup, JoinPath(example, "spatial.ini")).ok()) {
        std::fprintf(stderr, "korvane: the example is missing; no pictures of a run\n");
        return;
    }
    setup.FilePath = events;
    const std::string ini = JoinPath(work.path().toStdString(), "spatial.ini");
    (void)SaveSetupFile(setup, ini);

    app.mainFrame()->setGeometry(0, 0, 940, 820);
    QTimer::singleShot(kSettleMilliseconds, [&app, folder] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr) {
            return;
        }
        auto* bar = dialog->findChild<QProgressBar*>("progressBar");
        QObject::connect(
            bar, &QProgressBar::valueChanged, dialog, [&app, folder, bar, dialog](int value) {
                if (value == bar->maximum() / 2) {
                    Save(app.mainFrame(), folder + "/viewer-run.png");
                    // What the X server holds may lag behind the widgets: both are painted first.
                    app.mainFrame()->repaint();
                    dialog->repaint();
                    SaveScreenOf({app.mainFrame(), dialog}, folder + "/run-beside.png");
                }
                if (value == bar->maximum()) {
                    // The box "Calculation finished successfully." comes next: close it.
                    QTimer::singleShot(kSettleMilliseconds, [] {
                        if (QWidget* box = QApplication::activeModalWidget()) {
                            box->close();
                        }
                    });
                }
            });
        dialog->findChild<QPushButton*>("calculateButton")->click();
    });
    app.OpenFile(ini);
    // The newest picture follows on its own pace; then the window as the run left it.
    Settle();
    Save(app.mainFrame(), folder + "/viewer.png");
}

// A line dragged across the map on show, from a quarter to three quarters of its raster: the
// viewer with the line and the Options dialog it opens are grabbed, and the section is run;
// the viewer then shows the section.
void DrawSectionOnTheMap(KorvaneApp& app, const QString& folder) {
    PictureViewer& viewer = *app.mainFrame()->viewer();
    PictureCanvas* canvas = viewer.canvas();
    if (viewer.currentIndex() < 0 || !canvas->drawsLines()) {
        std::fprintf(stderr, "korvane: no map on show; no section drawn\n");
        return;
    }
    const ViewerPicture& picture =
        viewer.pictures()[static_cast<std::size_t>(viewer.currentIndex())];
    const QRect shown = canvas->ImageRect();
    const auto onWidget = [&](double acrossRaster, double downRaster) {
        const double x = picture.rasterLeft + acrossRaster * picture.rasterWidth;
        const double y = picture.rasterTop + downRaster * picture.rasterHeight;
        return QPoint(
            shown.left() + static_cast<int>(x * shown.width() / canvas->image().width()),
            shown.top() + static_cast<int>(y * shown.height() / canvas->image().height()));
    };
    const auto send = [canvas](QEvent::Type type, QPoint at, Qt::MouseButton button,
                               Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), QPointF(canvas->mapToGlobal(at)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(canvas, &event);
    };
    QTimer::singleShot(kSettleMilliseconds, [&app, folder] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr) {
            return;
        }
        Save(app.mainFrame(), folder + "/section-line.png");
        Save(dialog, folder + "/options-section.png");
        // "Calculation finished successfully." is closed, then the dialog.
        auto* closer = new QTimer(dialog);
        QObject::connect(closer, &QTimer::timeout, [dialog] {
            if (QWidget* modal = QApplication::activeModalWidget();
                modal != nullptr && modal != dialog) {
                modal->close();
                dialog->close();
            }
        });
        closer->start(kSettleMilliseconds / 2);
        dialog->findChild<QPushButton*>("calculateButton")->click();
    });
    const QPoint from = onWidget(0.2, 0.75);
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, onWidget(0.5, 0.5), Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, onWidget(0.8, 0.3), Qt::LeftButton, Qt::NoButton);
    Settle();  // the dialog opens, runs and closes within
    Settle();
    Save(app.mainFrame(), folder + "/viewer-section.png");
}

// Runs without a window and says nothing.
class QuietRun : public SeriesObserver {
  public:
    void PhaseStarted(RunPhase, long long) override {}
    void Progress(long long) override {}
    bool ShouldStop() override { return false; }
};

// The example's time series beside the spatial one in `work`, written after it: a folder of
// two series, as the movie's series chooser expects.
void WriteExampleTimeSeries(KorvaneApp& app, const QTemporaryDir& work) {
    CalculationSetup setup;
    if (!LoadSetupFile(setup, JoinPath(BundledExampleFolder(), "time.ini")).ok()) {
        return;
    }
    setup.FilePath = JoinPath(work.path().toStdString(), "events.dat");
    QuietRun quiet;
    (void)Calculate(DialogValuesFromSetup(setup), CalculationKind::Time, quiet, app.workspace());
}

// "Create Movie" on the folder of the series shown last, which holds a space and a newer time
// series: each chooser is answered as a person would (the folder offered, the series chooser
// grabbed and its newest series taken, the movie beside the pictures, the first codec), the
// note box closed, and the main window grabbed with the finished movie in its status bar.
void MakeMovie(KorvaneApp& app, const QString& folder) {
    QTimer answer;
    answer.setInterval(kSettleMilliseconds / 2);
    QObject::connect(&answer, &QTimer::timeout, [folder] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            if (files->acceptMode() == QFileDialog::AcceptSave) {
                // Typed as a person types it, in the folder the chooser opened in.
                if (auto* name = files->findChild<QLineEdit*>("fileNameEdit")) {
                    name->setText("movie.avi");
                }
            }
            static_cast<QDialog*>(files)->accept();  // as its own button does
        } else if (modal != nullptr && modal->objectName() == "SeriesChooser") {
            Save(modal, folder + "/movie-series.png");
            static_cast<QDialog*>(modal)->accept();
        } else if (auto* dialog = qobject_cast<QDialog*>(modal);
                   dialog != nullptr && dialog->objectName() != "IDD_CONVERSION") {
            dialog->accept();  // the codec, then the note of the series left out
        }
    });
    answer.start();
    app.OnCreateMovie();
    answer.stop();
    Settle();
    Save(app.mainFrame(), folder + "/movie-status.png");
}

// The import dialog on the catalogue KORVANE_SCREENSHOT_CATALOGUE names, once it has
// counted the rows.
void SaveImportDialog(KorvaneApp& app, const QString& catalogue, const QString& path) {
    QtChoosers choosers;
    QtMessageBoxes boxes;
    ImportCatalogueDlg dialog(catalogue.toStdString(), CatalogueOptions{}, {choosers, boxes},
                              app.mainFrame());
    dialog.resize(900, 720);
    dialog.show();
    for (int wait = 0; wait < 50 && dialog.IsCounting(); ++wait) {
        Settle();
    }
    Settle();
    Save(&dialog, path);
}

}  // namespace

QString ScreenshotFolder() {
    return qEnvironmentVariable("KORVANE_SCREENSHOT_DIR");
}

void StartScreenshotTour(KorvaneApp& app, const QString& folder) {
    QTimer::singleShot(kSettleMilliseconds, [&app, folder] {
        Save(app.mainFrame(), folder + "/main-window.png");
        GrabNextModalDialog(folder + "/options-spatial.png");
        app.OnSpatialResolved();
        GrabNextModalDialog(folder + "/options-time.png");
        app.OnTimeResolved();
        GrabNextModalDialog(folder + "/about.png");
        app.OnAppAbout();
        GrabNextModalDialog(folder + "/output-options.png");
        app.OnOutputOptions();
        if (const QString catalogue = qEnvironmentVariable("KORVANE_SCREENSHOT_CATALOGUE");
            !catalogue.isEmpty()) {
            SaveImportDialog(app, catalogue, folder + "/import-dialog.png");
        }
        QTemporaryDir work;
        RunExampleSeries(app, folder, work);
        DrawSectionOnTheMap(app, folder);
        WriteExampleTimeSeries(app, work);
        MakeMovie(app, folder);
        QCoreApplication::quit();
    });
}

}  // namespace korvane
