// A stop asked in any phase of a run ends the run at the engine's next check: no report, no
// phase and no picture comes after it; only the pictures finished before it are on disk.

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "common/NumberText.h"
#include "setup/CalculateCommand.h"
#include "support/DialogInputs.h"
#include "support/Folders.h"
#include "support/TempDir.h"

namespace korvane::testing {
namespace {

// A slow front end that asks to stop at its first check in `stopIn` (after `skip` checks
// there) and counts what the engine still does after that answer.
class SlowStopper : public SeriesObserver {
  public:
    explicit SlowStopper(RunPhase stopIn, int skip = 0) : m_stopIn(stopIn), m_skip(skip) {}

    void PhaseStarted(RunPhase phase, long long) override {
        m_phase = phase;
        phases += m_stopped ? 0 : 1;
        workAfterStop += m_stopped ? 1 : 0;
    }
    void Progress(long long) override {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        ++reports;
        workAfterStop += m_stopped ? 1 : 0;
    }
    bool ShouldStop() override {
        if (!m_stopped && m_phase == m_stopIn && checksInPhase++ >= m_skip) {
            m_stopped = true;
        }
        return m_stopped;
    }
    void PictureWritten(const WrittenPicture&) override {
        ++pictures;
        workAfterStop += m_stopped ? 1 : 0;
    }

    bool stopped() const { return m_stopped; }
    int phases = 0;
    int reports = 0;
    int pictures = 0;
    int checksInPhase = 0;
    int workAfterStop = 0;  // phases, reports and pictures after the stop was answered

  private:
    RunPhase m_stopIn;
    int m_skip;
    RunPhase m_phase = RunPhase::Reading;
    bool m_stopped = false;
};

// `count` events in the box (20,000: several checks of the estimate and several of a
// catalogue's blocks; an event file is read in larger blocks); with a header line, a catalogue.
std::string ManyEvents(const TempDir& dir, bool header, int count) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> in(0.0, 10.0);
    std::string text = header ? "x\ty\tz\tt\n" : "";
    for (int i = 0; i < count; ++i) {
        text += FormatFixed(in(random), 4) + "\t" + FormatFixed(in(random), 4) + "\t" +
                FormatFixed(in(random), 4) + "\t" + FormatFixed(in(random), 4) + "\n";
    }
    return dir.write("events.dat", text);
}

TEST(StopInEveryPhase, EndsTheRunAtTheNextCheckAndLeavesOnlyWholePictures) {
    const struct {
        const char* name;
        RunPhase phase;
        int skip;  // checks let pass in the phase before the stop
        bool gaussian;
        int pictures;  // on disk afterwards
        bool catalogue = false;
        int events = 20000;
    } cases[] = {
        {"first block read", RunPhase::Reading, 0, false, 0},
        // Some 3 MB: four blocks of the event file.
        {"a later block read", RunPhase::Reading, 3, false, 0, false, 120000},
        {"a catalogue's later block", RunPhase::Reading, 3, false, 0, true},
        {"before the sort", RunPhase::Sorting, 0, false, 0},
        {"in the sort", RunPhase::Sorting, 1, false, 0},
        {"before the rows move", RunPhase::Sorting, 5, false, 0},
        {"after the sort", RunPhase::Sorting, 7, false, 0},  // its four passes and three more
        {"counting estimate", RunPhase::Estimating, 2, false, 0},
        {"kernel estimate", RunPhase::Estimating, 2, true, 0},
        {"after picture 1", RunPhase::Pictures, 0, false, 1},
    };
    for (const auto& c : cases) {
        TempDir dir;
        DialogValues values = PassingValues(ManyEvents(dir, c.catalogue, c.events));
        values.fixedDensityState = 0;  // the estimate runs
        values.gaussianState = c.gaussian ? 1 : 0;
        values.numberOfPictures = "4";
        CalculationWorkspace workspace;
        SlowStopper stopper(c.phase, c.skip);
        const CalculationOutcome outcome =
            Calculate(values, SpatialResolvedMode, stopper, workspace);
        EXPECT_EQ(outcome.status.code(), Status::Code::Cancelled) << c.name;
        EXPECT_FALSE(outcome.message.has_value()) << c.name;
        EXPECT_TRUE(stopper.stopped()) << c.name;
        EXPECT_EQ(stopper.workAfterStop, 0) << c.name;
        EXPECT_EQ(stopper.pictures, c.pictures) << c.name;
        EXPECT_EQ(static_cast<int>(PictureNames(dir.path().string()).size()), c.pictures) << c.name;
    }
}

}  // namespace
}  // namespace korvane::testing
