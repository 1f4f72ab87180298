#include "app/OptionsProgress.h"

#include <QProgressBar>
#include <algorithm>
#include <cmath>

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

OptionsProgressObserver::OptionsProgressObserver(Host& host, TraceSink trace, QProgressBar& bar,
                                                 SeriesObserver* watcher)
    : ProgressSeriesObserver(host, std::move(trace)), m_bar(bar), m_watcher(watcher) {}

void OptionsProgressObserver::SeriesStarted(int lastPosition) {
    ProgressSeriesObserver::SeriesStarted(lastPosition);
    m_pictures = std::max(lastPosition - 1, 0);
    m_clock.start();
    m_bar.setFormat(QString::fromStdString(ProgressCaption(0, m_pictures, 0)));
    m_bar.setTextVisible(true);
    if (m_watcher != nullptr) {
        m_watcher->SeriesStarted(lastPosition);
    }
}

void OptionsProgressObserver::SeriesFinished(const SeriesSummary& summary) {
    if (m_watcher != nullptr) {
        m_watcher->SeriesFinished(summary);
    }
}

void OptionsProgressObserver::PictureWritten(const WrittenPicture& picture) {
    m_bar.setFormat(QString::fromStdString(ProgressCaption(
        picture.number, m_pictures, static_cast<double>(m_clock.elapsed()) / 1000.0)));
    ProgressSeriesObserver::PictureWritten(picture);
    if (m_watcher != nullptr) {
        m_watcher->PictureWritten(picture);
    }
}

}  // namespace korvane
