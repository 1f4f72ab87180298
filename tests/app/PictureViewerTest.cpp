// The main window's viewer: a run shown as it is written, stepping, playing and zooming, the
// world position under the mouse, folders opened or dropped, and older pictures left behind.

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <filesystem>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include "AppTestRegistry.h"
#include "OptionsDialogFixture.h"
#include "app/KorvaneApp.h"
#include "app/MainFrame.h"
#include "app/PictureCanvas.h"
#include "app/PictureViewer.h"
#include "movie/PictureFolder.h"

namespace korvane::testing {
namespace {

std::string EventFile(const TempDir& dir) {
    std::string text;
    for (int i = 0; i < 20; ++i) {
        text += std::to_string((i * 7) % 10) + ".5\t" + std::to_string((i * 3) % 10) + ".25\t" +
                std::to_string(i / 2) + ".5\t" + std::to_string(i / 2) + "\n";
    }
    return dir.write("events.dat", text);
}

// A picture of `width` x `height` in one colour, as the viewer reads it back.
void WritePicture(const std::string& path, int width, int height, int shade) {
    cv::imwrite(path, cv::Mat(height, width, CV_8UC3, cv::Scalar(shade, 255 - shade, 40)));
}

QImage FileImage(const std::string& path) {
    return QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB888);
}

QImage Shown(const PictureViewer& viewer) {
    return viewer.canvas()->image().convertToFormat(QImage::Format_RGB888);
}

void MoveMouse(QWidget* widget, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

// A drag with the left button from `from` to `to`, passing halfway.
void DragMouse(QWidget* widget, QPoint from, QPoint to) {
    const auto send = [widget](QEvent::Type type, QPoint at, Qt::MouseButton button,
                               Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

void Drop(QWidget* window, const std::string& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &drop);
}

// Passes a series on to the viewer and checks, at each picture, that it is on show already.
class CheckingWatcher : public ViewerFeed {
  public:
    explicit CheckingWatcher(PictureViewer& viewer) : ViewerFeed(viewer), m_viewer(viewer) {}
    void PictureWritten(const WrittenPicture& picture) override {
        ViewerFeed::PictureWritten(picture);
        shownAtOnce = shownAtOnce && m_viewer.count() == picture.number &&
                      m_viewer.currentIndex() == picture.number - 1 && !m_viewer.showsBanner() &&
                      Shown(m_viewer) == FileImage(picture.path);
    }
    bool shownAtOnce = true;

  private:
    PictureViewer& m_viewer;
};

// Takes the address "Show in Folder" opens, instead of the desktop's file manager.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    explicit UrlCatcher(QUrl* caught) : m_caught(caught) {}
  public slots:
    void Catch(const QUrl& url) { *m_caught = url; }

  private:
    QUrl* m_caught;
};

// Answers the Options dialog the next command opens with "Calculate!".
void CalculateInNextDialog() {
    QTimer::singleShot(0, [] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            dialog->findChild<QPushButton*>("calculateButton")->click();
        }
    });
}

class PictureViewerTest : public QObject {
    Q_OBJECT
  private slots:
    void aRunFillsTheViewerAsPicturesArrive() {
        OptionsDialogFixture fixture;
        PictureViewer viewer;
        viewer.show();
        QVERIFY(viewer.showsBanner());
        viewer.SetLiveInterval(0);
        CheckingWatcher watcher(viewer);
        OptionsDlg& dialog =
            fixture.OpenWith(CalculationKind::Spatial, RunnableSetup(EventFile(fixture.dir)));
        dialog.SetSeriesWatcher(&watcher);
        viewer.BeginSeries();
        fixture.Calculate();

        QVERIFY(watcher.written >= 3);
        QVERIFY(watcher.shownAtOnce);
        QCOMPARE(viewer.count(), watcher.written);
        // The series reuses its canvases: what stays on show is the viewer's own copy.
        QCOMPARE(Shown(viewer), FileImage(watcher.lastPath));
        viewer.ShowFirst();
        QCOMPARE(Shown(viewer), FileImage(viewer.pictures().front().path));
    }

    void aFastSeriesIsShownAtTheScreensPaceAndEndsOnItsLastPicture() {
        OptionsDialogFixture fixture;
        PictureViewer viewer;
        viewer.show();
        viewer.SetLiveInterval(300);
        ViewerFeed feed(viewer);
        CalculationSetup setup = RunnableSetup(EventFile(fixture.dir));
        setup.NoOfPictures = 6;
        OptionsDlg& dialog = fixture.OpenWith(CalculationKind::Spatial, setup);
        dialog.SetSeriesWatcher(&feed);
        viewer.BeginSeries();
        QElapsedTimer clock;
        clock.start();
        fixture.Calculate();
        QVERIFY(feed.written >= 6);
        QCOMPARE(viewer.count(), feed.written);
        if (clock.elapsed() < 250) {
            // The pictures came faster than the screen's pace: only the first is on show yet.
            QCOMPARE(viewer.currentIndex(), 0);
        }
        // Then the newest follows, read from its file.
        QTRY_COMPARE(viewer.currentIndex(), feed.written - 1);
        QCOMPARE(Shown(viewer), FileImage(feed.lastPath));
    }

    void theWindowSaysWhatTheRunWroteAndOpensItsFolder() {
        TempDir dir;
        FakeChoosers choosers;
        FakeMessageBoxes boxes;
        if (!SaveSetupFile(RunnableSetup(EventFile(dir)), dir.file("Setup.ini")).ok()) {
            QFAIL("cannot write Setup.ini");
        }
        KorvaneApp app({choosers, boxes}, OptionsDlgFiles{dir.file("Setup.ini"), ""});
        QVERIFY(app.Start());
        MainFrame& frame = *app.mainFrame();
        CalculateInNextDialog();
        frame.commands().spatialResolved->trigger();

        const int written = frame.viewer()->count();
        QVERIFY(written >= 3);
        const QString folder = QString::fromStdString(dir.path().string());
        // The viewer shows the first picture with the most events, as the series index
        // counts them, and says so.
        QFile index(QString::fromStdString(dir.file("space.json")));
        QVERIFY(index.open(QIODevice::ReadOnly));
        const QJsonArray listed = QJsonDocument::fromJson(index.readAll())["pictures"].toArray();
        int most = 0;
        for (int i = 1; i < listed.size(); ++i) {
            if (listed[i]["events"].toInteger() > listed[most]["events"].toInteger()) {
                most = i;
            }
        }
        QCOMPARE(frame.viewer()->currentIndex(), most);
        QCOMPARE(frame.messageText(),
                 QString("%1 pictures from 20 events in %2. Showing picture %3 of %1: most events")
                     .arg(written)
                     .arg(folder)
                     .arg(most + 1));
        QVERIFY(frame.viewer()->notice().isEmpty());
        QVERIFY(frame.showInFolderButton()->isVisible());

        QUrl opened;
        UrlCatcher catcher(&opened);
        QDesktopServices::setUrlHandler("file", &catcher, "Catch");
        frame.showInFolderButton()->click();
        QDesktopServices::unsetUrlHandler("file");
        QCOMPARE(opened, QUrl::fromLocalFile(folder));
        QCOMPARE(frame.recentMenu()->actions().value(0)->text(), "&1 " + folder);
    }

    void olderPicturesOfALongerRunAreNamedAndKept() {
        TempDir dir;
        FakeChoosers choosers;
        FakeMessageBoxes boxes;
        if (!SaveSetupFile(RunnableSetup(EventFile(dir)), dir.file("Setup.ini")).ok()) {
            QFAIL("cannot write Setup.ini");
        }
        for (int n = 8; n <= 10; ++n) {
            WritePicture(
                dir.file("space00" + std::string(n < 10 ? "0" : "") + std::to_string(n) + ".bmp"),
                20, 10, 0);
        }
        WritePicture(dir.file("time0099.bmp"), 20, 10, 0);  // another series: not counted
        KorvaneApp app({choosers, boxes}, OptionsDlgFiles{dir.file("Setup.ini"), ""});
        QVERIFY(app.Start());
        MainFrame& frame = *app.mainFrame();
        CalculateInNextDialog();
        frame.commands().spatialResolved->trigger();

        const QString warning =
            "3 older pictures (space0008.bmp to space0010.bmp) of an earlier run are still in "
            "the folder; a movie of the folder takes only the pictures of the last run, which "
            "its series index lists.";
        QCOMPARE(frame.viewer()->notice(), warning);
        QVERIFY(frame.messageText().endsWith(warning));
        QVERIFY(std::filesystem::exists(dir.file("space0010.bmp")));
        QVERIFY(frame.viewer()->count() < 8);
    }

    void steppingPlayingAndKeys() {
        TempDir dir;
        for (int n = 1; n <= 5; ++n) {
            WritePicture(dir.file("space000" + std::to_string(n) + ".bmp"), 40, 30, n * 40);
        }
        PictureFolder series;
        QVERIFY(OpenPictureFolder(dir.path().string(), series).ok());
        PictureViewer viewer;
        viewer.resize(500, 400);
        viewer.show();
        viewer.ShowPictures(series);
        QCOMPARE(viewer.currentIndex(), 0);
        const auto showing = [&](int index) {
            return viewer.currentIndex() == index &&
                   Shown(viewer) == FileImage(series.pictures[index].path);
        };

        viewer.findChild<QToolButton*>("NextButton")->click();
        QVERIFY(showing(1));
        viewer.findChild<QToolButton*>("LastButton")->click();
        QVERIFY(showing(4));
        viewer.findChild<QToolButton*>("NextButton")->click();  // stays at the last
        QVERIFY(showing(4));
        viewer.findChild<QToolButton*>("FirstButton")->click();
        QVERIFY(showing(0));
        viewer.findChild<QToolButton*>("PreviousButton")->click();  // stays at the first
        QVERIFY(showing(0));
        viewer.findChild<QSlider*>("FrameSlider")->setValue(3);
        QVERIFY(showing(3));
        QCOMPARE(viewer.findChild<QSpinBox*>("FrameSpinBox")->value(), 4);
        viewer.findChild<QSpinBox*>("FrameSpinBox")->setValue(2);
        QVERIFY(showing(1));
        QCOMPARE(viewer.findChild<QSlider*>("FrameSlider")->value(), 1);

        QTest::keyClick(&viewer, Qt::Key_End);
        QVERIFY(showing(4));
        QTest::keyClick(&viewer, Qt::Key_Left);
        QVERIFY(showing(3));
        QTest::keyClick(&viewer, Qt::Key_Home);
        QVERIFY(showing(0));
        QTest::keyClick(&viewer, Qt::Key_Right);
        QVERIFY(showing(1));

        // Playing: ten pictures a second, round and round.
        QTest::keyClick(&viewer, Qt::Key_End);
        QTest::keyClick(&viewer, Qt::Key_Space);
        QVERIFY(viewer.isPlaying());
        QCOMPARE(viewer.findChild<QTimer*>("PlayTimer")->interval(), 100);
        QTRY_COMPARE(viewer.currentIndex(), 0);  // from the last back to the first
        QTRY_COMPARE(viewer.currentIndex(), 1);
        viewer.findChild<QToolButton*>("PlayButton")->click();
        QVERIFY(!viewer.isPlaying());
    }

    void zoomToFitAndActualSizeWithScrolling() {
        TempDir dir;
        WritePicture(dir.file("space0001.bmp"), 900, 700, 100);
        PictureFolder series;
        QVERIFY(OpenPictureFolder(dir.path().string(), series).ok());
        PictureViewer viewer;
        viewer.resize(400, 300);
        viewer.show();
        viewer.ShowPictures(series);
        PictureCanvas* canvas = viewer.canvas();
        auto* scroll = viewer.findChild<QScrollArea*>("PictureScrollArea");

        // Fit: the whole picture in the view, its shape kept, nothing to scroll.
        QTRY_VERIFY(canvas->ImageRect().width() <= scroll->viewport()->width());
        QVERIFY(canvas->ImageRect().height() <= scroll->viewport()->height());
        const QRect fitted = canvas->ImageRect();
        QVERIFY(qAbs(fitted.width() * 700 - fitted.height() * 900) <= 900);
        QCOMPARE(scroll->horizontalScrollBar()->maximum(), 0);

        viewer.findChild<QToolButton*>("ActualSizeButton")->click();
        QTRY_COMPARE(canvas->size(), QSize(900, 700));
        QCOMPARE(canvas->ImageRect(), QRect(0, 0, 900, 700));
        QTRY_VERIFY(scroll->horizontalScrollBar()->maximum() > 0);
        QVERIFY(scroll->verticalScrollBar()->maximum() > 0);

        viewer.findChild<QToolButton*>("FitButton")->click();
        QTRY_VERIFY(canvas->ImageRect().width() <= scroll->viewport()->width());
    }

    void positionUnderTheMouseAtTheFourCorners() {
        // A raster of 12 x 12 for x 0..10 and y -5..5: one world unit per pixel step, and the
        // spare column and row beyond the maximum.
        const int width = 12, height = 12;
        cv::Mat canvas(height + 200, width + 300, CV_8UC3, cv::Scalar(255, 255, 255));
        const cv::Mat raster = canvas(cv::Rect(150, 100, width, height));
        const std::string path = "/pictures/space0001.bmp";
        PictureViewer viewer;
        viewer.resize(600, 500);
        viewer.show();
        viewer.BeginSeries();
        viewer.AddWrittenPicture({1, path, raster, canvas, {{0, 10}, {-5, 5}}, 2.5, {0, 1, 2}});
        viewer.SetFitToView(false);
        QString text;
        connect(&viewer, &PictureViewer::pointerTextChanged,
                [&text](const QString& shown) { text = shown; });

        PictureCanvas* shown = viewer.canvas();
        const QPoint origin = shown->ImageRect().topLeft() + QPoint(150, 100);
        const struct {
            QPoint pixel;
            const char* position;
        } corners[] = {{{0, 0}, "x = 0.000, y = 6.000"},
                       {{width - 1, 0}, "x = 11.000, y = 6.000"},
                       {{0, height - 1}, "x = 0.000, y = -5.000"},
                       {{width - 1, height - 1}, "x = 11.000, y = -5.000"}};
        for (const auto& corner : corners) {
            MoveMouse(shown, origin + corner.pixel);
            QCOMPARE(text, QString(corner.position) + "   space0001.bmp   z = 2.5000");
        }
        // Beside the raster: the file and its slice, no position.
        MoveMouse(shown, origin + QPoint(-1, 0));
        QCOMPARE(text, QString("space0001.bmp   z = 2.5000"));
        MoveMouse(shown, origin + QPoint(width, height));
        QCOMPARE(text, QString("space0001.bmp   z = 2.5000"));
    }

    void aLineDrawnOnAMapOpensTheSectionAlongIt() {
        TempDir settings;
        FakeChoosers choosers;
        FakeMessageBoxes boxes;
        KorvaneApp app({choosers, boxes, nullptr}, OptionsDlgFiles{settings.file("Setup.ini"), ""});
        QVERIFY(app.Start());
        PictureViewer& viewer = *app.mainFrame()->viewer();
        viewer.SetFitToView(false);
        // x 0..10 and y -5..5 on a raster of 12 x 12: one unit a pixel.
        cv::Mat canvas(212, 312, CV_8UC3, cv::Scalar(255, 255, 255));
        const cv::Mat raster = canvas(cv::Rect(150, 100, 12, 12));
        const std::string path = "/pictures/space0001.bmp";
        PictureCanvas* shown = viewer.canvas();
        const QPoint origin = shown->ImageRect().topLeft() + QPoint(150, 100);
        // A section: no line is drawn on it, and the mouse reads its own axes.
        viewer.BeginSeries();
        viewer.AddWrittenPicture({1,
                                  "/pictures/section0001.bmp",
                                  raster,
                                  canvas,
                                  {{0, 10}, {-5, 5}},
                                  2.5,
                                  {0, 2, 1, true}});
        QVERIFY(!shown->drawsLines());
        QString pointer;
        connect(&viewer, &PictureViewer::pointerTextChanged,
                [&pointer](const QString& text) { pointer = text; });
        MoveMouse(shown, origin);
        QCOMPARE(pointer, "distance = 0.000, z = 6.000   section0001.bmp   offset = 2.5000");
        viewer.BeginSeries();
        viewer.AddWrittenPicture({1, path, raster, canvas, {{0, 10}, {-5, 5}}, 2.5, {0, 1, 2}});
        QVERIFY(shown->drawsLines());

        QStringList texts;
        QTimer::singleShot(200, [&texts] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            texts << QString::number(dialog->findChild<QRadioButton*>("sectionRadio")->isChecked());
            for (const char* box : {"sectionFromBox", "sectionToBox", "sectionWidthBox"}) {
                texts << dialog->findChild<QLineEdit*>(box)->text();
            }
            dialog->close();
        });
        // From x 1, y -4 to beyond the raster's top right corner, which ends it at x 11, y 6.
        DragMouse(shown, origin + QPoint(1, 10), origin + QPoint(40, -30));
        QTRY_COMPARE(texts, (QStringList{"1", "1,-4", "11,6", "1"}));
    }

    void openingAFolderTakesOneSeriesByNumber() {
        TempDir dir;
        for (const char* name : {"space0001.bmp", "space0002.bmp", "space0005.bmp", "time0001.bmp",
                                 "space001.bmp", "spaceA001.bmp"}) {
            WritePicture(dir.file(name), 30, 20, 60);
        }
        dir.write("notes.txt", "not a picture");
        dir.write("space0003.bmp.txt", "not a picture either");
        std::filesystem::create_directory(dir.path() / "space0004.bmp");
        TempDir settings;
        FakeChoosers choosers;
        FakeMessageBoxes boxes;
        FakeOpener desktop;  // no file manager
        KorvaneApp app({choosers, boxes, &desktop},
                       OptionsDlgFiles{settings.file("Setup.ini"), ""});
        QVERIFY(app.Start());
        MainFrame& frame = *app.mainFrame();
        const QString folder = QString::fromStdString(dir.path().string());

        choosers.folderAnswers.push_back(dir.path().string());
        frame.commands().openPictures->trigger();
        QCOMPARE(choosers.folderQuestions, 1);
        std::vector<int> numbers;
        for (const ViewerPicture& picture : frame.viewer()->pictures()) {
            numbers.push_back(picture.number);
        }
        QCOMPARE(numbers, (std::vector<int>{1, 2, 5}));  // gaps stay gaps
        QCOMPARE(frame.viewer()->currentIndex(), 0);
        QCOMPARE(frame.messageText(), "3 pictures in " + folder);
        QVERIFY(boxes.shown.empty());

        // A numbered picture dropped: its series, starting at it.
        frame.viewer()->ShowBanner();
        Drop(&frame, dir.file("space0005.bmp"));
        QCOMPARE(frame.viewer()->count(), 3);
        QCOMPARE(frame.viewer()->currentIndex(), 2);
        // Another series of the same folder, dropped.
        Drop(&frame, dir.file("time0001.bmp"));
        QCOMPARE(frame.viewer()->count(), 1);

        // "Recent" brings the folder back.
        frame.viewer()->ShowBanner();
        QAction* recent = frame.recentMenu()->actions().value(0);
        QVERIFY(recent);
        QCOMPARE(recent->text(), "&1 " + folder);
        recent->trigger();
        QCOMPARE(frame.viewer()->count(), 3);

        // A folder without pictures: the box the movie gives, and the view stays.
        TempDir empty;
        Drop(&frame, empty.path().string());
        QCOMPARE(boxes.shown.size(), size_t{1});
        QCOMPARE(boxes.shown[0].text, std::string("Folder does not contain pictures!"));
        QCOMPARE(boxes.shown[0].caption, std::string("Empty folder!"));
        QCOMPARE(frame.viewer()->count(), 3);

        // No file manager: "Show in Folder" says so in a box that names the folder.
        frame.showInFolderButton()->click();
        QCOMPARE(desktop.opened, std::vector<std::string>{dir.path().string()});
        QCOMPARE(boxes.shown.size(), size_t{2});
        QCOMPARE(boxes.shown[1].text, "Cannot show the folder " + dir.path().string() +
                                          ": no file manager is set up to open it.");
        QCOMPARE(boxes.shown[1].icon, MessageIcon::Stop);
    }
};

const bool registered = RegisterAppTest<PictureViewerTest>();

}  // namespace
}  // namespace korvane::testing

#include "PictureViewerTest.moc"
