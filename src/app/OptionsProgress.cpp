#include "app/OptionsProgress.h"

#include <QProgressBar>
#include <algorithm>
#include <climits>
#include <cmath>

#include "app/TraceLine.h"
#include "app/WindowServices.h"
#include "common/NumberText.h"

namespace korvane {
namespace {

std::string DurationText(double seconds) {
    const long long whole = static_cast<long long>(std::ceil(std::max(seconds, 1.0)));
    const auto text = [](long long value, const char* unit) {
        return FormatInteger(static_cast<double>(value)) + unit;
    };
    if (whole < 60) {
        return text(whole, " s");
    }
    if (whole < 3600) {
        return text(whole / 60, " min") + (whole % 60 ? " " + text(whole % 60, " s") : "");
    }
    const long long minutes = (whole + 59) / 60;
    return text(minutes / 60, " h") + (minutes % 60 ? " " + text(minutes % 60, " min") : "");
}

}  // namespace

std::string ProgressCaption(int picture, int pictures, double elapsedSeconds) {
    // A series may write one picture more than it was asked for (rounding of the steps).
    pictures = std::max(pictures, picture);
    std::string caption = "picture " + FormatInteger(picture) + " of " + FormatInteger(pictures);
    if (picture >= 2 && picture < pictures) {
        const double left = elapsedSeconds / picture * (pictures - picture);
        caption += ", about " + DurationText(left) + " left";
    }
    return caption;
}

namespace {

// Phases measured in bytes or events show a share in thousandths.
constexpr int ShareSteps = 1000;

const char* PhaseCaption(RunPhase phase) {
    switch (phase) {
        case RunPhase::Reading:
            return "reading the events";
        case RunPhase::Sorting:
            return "sorting the events";
        case RunPhase::Estimating:
            return "estimating the maximum";
        default:
            return "";
    }
}

}  // namespace

void OptionsProgressObserver::PhaseStarted(RunPhase phase, long long total) {
    m_phase = phase;
    m_total = std::max(total, 0LL);
    if (phase == RunPhase::Pictures) {
        m_clock.start();
        SetProgressRange(*m_bar, 0, static_cast<int>(std::min<long long>(m_total, INT_MAX)));
        m_bar->setValue(0);
        m_bar->setFormat(QString::fromStdString(ProgressCaption(0, static_cast<int>(m_total), 0)));
    } else if (m_total == 0) {
        m_bar->setRange(0, 0);  // busy: a phase without a measure
        m_bar->setFormat(PhaseCaption(phase));
    } else {
        m_bar->setRange(0, ShareSteps);
        m_bar->setValue(0);
        m_bar->setFormat(QString(PhaseCaption(phase)) + " %p%");
    }
    m_bar->setTextVisible(true);
    if (m_watcher != nullptr) {
        m_watcher->PhaseStarted(phase, total);
    }
}

void OptionsProgressObserver::Progress(long long done) {
    if (m_phase == RunPhase::Pictures) {
        m_bar->setFormat(QString::fromStdString(
            ProgressCaption(static_cast<int>(done), static_cast<int>(m_total),
                            static_cast<double>(m_clock.elapsed()) / 1000.0)));
        SetProgressPosition(*m_bar, static_cast<int>(done));
    } else if (m_total > 0) {
        m_bar->setValue(static_cast<int>(ShareSteps * std::clamp(done, 0LL, m_total) / m_total));
    }
    if (m_watcher != nullptr) {
        m_watcher->Progress(done);
    }
}

void OptionsProgressObserver::Trace(const std::string& line) {
    PrintTraceLine(line);
}

void OptionsProgressObserver::SeriesFinished(const SeriesSummary& summary) {
    if (m_watcher != nullptr) {
        m_watcher->SeriesFinished(summary);
    }
}

void OptionsProgressObserver::PictureWritten(const WrittenPicture& picture) {
    if (m_watcher != nullptr) {
        m_watcher->PictureWritten(picture);
    }
}

}  // namespace korvane
