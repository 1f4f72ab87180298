// What showing a series live in the main window costs: the bundled example's spatial setup
// with 100 pictures, run as the Options dialog runs it (window messages handled after each
// picture), alternately with the main window's viewer fed and without it.
//   korvane_viewer_cost [ROUNDS]      (run it on a real or virtual X display, or offscreen)
// Prints the median wall time of each and their ratio.

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/MainFrame.h"
#include "app/PictureViewer.h"
#include "setup/CalculateCommand.h"
#include "setup/SetupFile.h"

namespace korvane {
namespace {

// The viewer fed on the window's thread after each picture, its events handled there:
// the cost the window pays for following a series.
class DesktopObserver : public SeriesObserver {
  public:
    explicit DesktopObserver(SeriesObserver* viewer) : m_viewer(viewer) {}
    void PhaseStarted(RunPhase, long long) override {}
    void Progress(long long) override { QCoreApplication::processEvents(); }
    bool ShouldStop() override { return false; }
    void PictureWritten(const WrittenPicture& picture) override {
        if (m_viewer != nullptr) {
            m_viewer->PictureWritten(picture);
        }
    }

  private:
    SeriesObserver* m_viewer;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace
}  // namespace korvane

int main(int argc, char** argv) {
    using namespace korvane;
    QApplication application(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    const std::filesystem::path work =
        std::filesystem::temp_directory_path() / "korvane-viewer-cost";
    std::filesystem::create_directories(work);
    std::filesystem::copy_file(KORVANE_SOURCE_DIR "/examples/events.dat", work / "events.dat",
                               std::filesystem::copy_options::overwrite_existing);
    CalculationSetup setup;
    if (!LoadSetupFile(setup, KORVANE_SOURCE_DIR "/examples/spatial.ini").ok()) {
        std::fprintf(stderr, "cannot read the example setup\n");
        return 1;
    }
    setup.FilePath = (work / "events.dat").string();
    setup.NoOfPictures = 100;
    const DialogValues values = DialogValuesFromSetup(setup);

    MainFrame frame;
    frame.show();
    QCoreApplication::processEvents();
    auto workspace = std::make_unique<CalculationWorkspace>();

    std::vector<double> with;
    std::vector<double> without;
    for (int round = 0; round < rounds; ++round) {
        for (const bool live : {false, true}) {
            frame.viewer()->ShowBanner();
            QCoreApplication::processEvents();
            ViewerFeed feed(*frame.viewer());
            DesktopObserver observer(live ? &feed : nullptr);
            frame.viewer()->BeginSeries();
            QElapsedTimer clock;
            clock.start();
            const CalculationOutcome outcome = Calculate(values, 1, observer, *workspace);
            const double seconds = clock.nsecsElapsed() / 1e9;
            if (!outcome.status.ok()) {
                std::fprintf(stderr, "the series failed: %s\n", outcome.status.message().c_str());
                return 1;
            }
            (live ? with : without).push_back(seconds);
            std::printf("round %d %-12s %.3f s\n", round + 1, live ? "with viewer" : "without",
                        seconds);
        }
    }
    const double a = Median(without);
    const double b = Median(with);
    std::printf("median of %d: without viewer %.3f s, with viewer %.3f s: %+.1f %%\n", rounds, a, b,
                (b / a - 1) * 100);
    std::filesystem::remove_all(work);
    return 0;
}
