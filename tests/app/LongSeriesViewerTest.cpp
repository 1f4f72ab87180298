// The viewer on a series of 9,999 pictures: stepping, jumping and playing through all of it
// keeps memory flat (only the picture on show is held) and each step as quick as the first.

#include <unistd.h>

#include <QElapsedTimer>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <string>

#include "AppTestRegistry.h"
#include "app/PictureViewer.h"
#include "movie/PictureFolder.h"
#include "support/TempDir.h"

namespace korvane::testing {
namespace {

constexpr int Pictures = 9999;

// Resident memory of this process, in KiB.
long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

class LongSeriesViewerTest : public QObject {
    Q_OBJECT
  private slots:
    void nineThousandPicturesStepAtAnEvenPaceInFlatMemory() {
        TempDir dir;
        // Ten different pictures, each behind a thousand names (links cost no room).
        PictureFolder series{dir.path().string(), "time", {}};
        for (int n = 1; n <= Pictures; ++n) {
            char name[32];
            std::snprintf(name, sizeof name, "time%04d.bmp", n);
            const std::string path = dir.file(name);
            if (n <= 10) {
                cv::imwrite(path, cv::Mat(300, 400, CV_8UC3, cv::Scalar(n * 20, 90, 200 - n * 9)));
            } else {
                std::filesystem::create_hard_link(series.pictures[(n - 1) % 10].path, path);
            }
            series.pictures.push_back({n, path});
        }
        PictureViewer viewer;
        viewer.resize(700, 500);
        viewer.show();
        viewer.ShowPictures(series);
        QCOMPARE(viewer.count(), Pictures);

        QElapsedTimer clock;
        long memoryAt100 = 0;
        qint64 first1000 = 0;
        clock.start();
        for (int index = 1; index < Pictures; ++index) {
            viewer.ShowNext();
            if (index == 100) {
                memoryAt100 = ResidentKiB();
                clock.restart();
            } else if (index == 1100) {
                first1000 = clock.restart();
            } else if (index == Pictures - 1000) {
                clock.restart();
            }
        }
        const qint64 last1000 = clock.elapsed();
        QCOMPARE(viewer.currentIndex(), Pictures - 1);
        // Jumps and keys across the whole series.
        for (const Qt::Key key : {Qt::Key_Home, Qt::Key_End, Qt::Key_Left, Qt::Key_Home}) {
            QTest::keyClick(&viewer, key);
        }
        QCOMPARE(viewer.currentIndex(), 0);
        const long growth = ResidentKiB() - memoryAt100;
        qInfo(
            "viewer: %d pictures, resident growth %ld KiB from picture 100, first 1000 steps "
            "%lld ms, last 1000 steps %lld ms",
            Pictures, growth, static_cast<long long>(first1000), static_cast<long long>(last1000));
#ifndef __SANITIZE_ADDRESS__  // the sanitizer keeps freed memory in quarantine
        QVERIFY2(growth < 5 * 1024, std::to_string(growth).c_str());
#endif
        // Other tests may run beside this one: only a step that grows with the series fails.
        QVERIFY2(last1000 < 3 * first1000 + 500, std::to_string(last1000).c_str());
    }
};

const bool registered = RegisterAppTest<LongSeriesViewerTest>();

}  // namespace
}  // namespace korvane::testing

#include "LongSeriesViewerTest.moc"
