// The window services: file filters in Qt's form, the default extension, the progress bar.

#include <QProgressBar>
#include <QTest>

#include "AppTestRegistry.h"
#include "app/FileFilter.h"
#include "app/WindowServices.h"

namespace korvane::testing {
namespace {

class WindowServicesTest : public QObject {
    Q_OBJECT
  private slots:
    void filtersInQtForm_data() {
        QTest::addColumn<QString>("classic");
        QTest::addColumn<QString>("qt");
        QTest::newRow("event files") << "ASCII-Files (*.dat)|*.dat||"
                                     << "ASCII-Files (*.dat)";
        QTest::newRow("setup files, no space") << "Korvane Ini-Files(*.ini)|*.ini||"
                                               << "Korvane Ini-Files(*.ini)";
        QTest::newRow("movies") << "Movie-Files(*.avi)|*.avi||"
                                << "Movie-Files(*.avi)";
        QTest::newRow("patterns added") << "Pictures|*.bmp;*.png||"
                                        << "Pictures (*.bmp *.png)";
        QTest::newRow("two pairs") << "A (*.a)|*.a|B|*.b||"
                                   << "A (*.a);;B (*.b)";
        QTest::newRow("empty") << ""
                               << "";
    }
    void filtersInQtForm() {
        QFETCH(QString, classic);
        QFETCH(QString, qt);
        QCOMPARE(QtFileFilter(classic.toStdString()), qt);
    }

    void defaultExtensionOnlyWhenTheNameHasNone_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("bare name") << "/tmp/movie"
                                   << "/tmp/movie.avi";
        QTest::newRow("own extension") << "/tmp/movie.mkv"
                                       << "/tmp/movie.mkv";
        QTest::newRow("dotted folder") << "/tmp/v1.2/movie"
                                       << "/tmp/v1.2/movie.avi";
        QTest::newRow("already avi") << "/tmp/movie.avi"
                                     << "/tmp/movie.avi";
        QTest::newRow("folder only") << "/tmp/"
                                     << "/tmp/";
    }
    void defaultExtensionOnlyWhenTheNameHasNone() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(WithDefaultExtension(path.toStdString(), ".avi")),
                 expected);
        QCOMPARE(QString::fromStdString(WithDefaultExtension(path.toStdString(), "avi")), expected);
    }

    void progressPositionsOutsideTheRangeAreClamped() {
        QProgressBar bar;
        SetProgressRange(bar, 0, 4);
        SetProgressPosition(bar, 9);
        QCOMPARE(bar.value(), 4);
        SetProgressPosition(bar, -3);
        QCOMPARE(bar.value(), 0);
        SetProgressRange(bar, 1, 0);  // an empty folder's range stays usable
        QCOMPARE(bar.maximum(), 1);
    }
};

const bool registered = RegisterAppTest<WindowServicesTest>();

}  // namespace
}  // namespace korvane::testing

#include "WindowServicesTest.moc"
