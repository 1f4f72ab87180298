#pragma once
// How a front end follows a long piece of work (a calculation or a movie): the phase it is in
// and how far that phase has come, a message for the user, the trace lines, and whether to
// stop (a calculation tells more: series/SeriesObserver.h). korvane-batch shows it on the terminal,
// the desktop program on its windows (the work runs on a worker thread), the tests with a recorder.
//
// The work calls one observer from one thread at a time. It asks ShouldStop() often enough in
// every phase (per block read, around the sort, every few thousand events of an estimate,
// after each picture or frame) that a stop acts within a fraction of a second.

#include <string>

#include "common/UserMessage.h"

namespace korvane {

enum class RunPhase {
    Reading,     // the event file, in bytes
    Sorting,     // the events along the series' axis, in SortingSteps shares of the work
    Estimating,  // the automatic top of the colour scale, in events
    Pictures,    // the pictures of a series, counted one by one
    Frames       // the frames of a movie, counted one by one
};

// The measure of the sorting phase: thousandths of the sort's work.
constexpr long long SortingSteps = 1000;

class RunObserver {
  public:
    virtual ~RunObserver() = default;

    // A phase begins with `total` units to do (0 when it has no measure).
    virtual void PhaseStarted(RunPhase phase, long long total) = 0;
    // `done` units of the phase are done (a picture phase: `done` pictures are written).
    virtual void Progress(long long done) = 0;
    // True once the user asked to stop; it stays true. The work then ends as soon as it can
    // without leaving a half-written file.
    virtual bool ShouldStop() = 0;

    // A message the user should see (a box on the desktop, a line in korvane-batch).
    virtual void Message(const UserMessage& message) { (void)message; }
    // A diagnostic line ("input[][] sorted by direction!"); the front ends print it.
    virtual void Trace(const std::string& line) { (void)line; }
};

// Reports a long loop's progress and asks whether to stop, once every `stride` units: the
// loops of the long phases call Tick(done) at every unit and stop when it returns true.
// Without an observer it never stops.
class PhaseTicker {
  public:
    PhaseTicker(RunObserver* observer, long long stride) : m_observer(observer), m_stride(stride) {}

    bool Tick(long long done) {
        if (m_observer == nullptr || m_stopped) {
            return m_stopped;
        }
        if (done - m_reported < m_stride && done != 0) {
            return false;
        }
        return Check(done);
    }
    // Reports and asks now, for a loop whose units are each long.
    bool Check(long long done) {
        if (m_observer == nullptr || m_stopped) {
            return m_stopped;
        }
        m_reported = done;
        m_observer->Progress(done);
        m_stopped = m_observer->ShouldStop();
        return m_stopped;
    }
    bool Stopped() const { return m_stopped; }

  private:
    RunObserver* m_observer;
    long long m_stride;
    long long m_reported = 0;
    bool m_stopped = false;
};

}  // namespace korvane
