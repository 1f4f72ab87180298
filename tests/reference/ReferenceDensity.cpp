#include "reference/ReferenceDensity.h"

#include <cmath>

#include "reference/ReferenceRules.h"
#include "reference/ReferenceSort.h"

namespace korvane::reference {

namespace {

// Colours one pixel, with the maximum narrowed to single precision.
void SetPixel(cv::Mat& raster, int row, int column, double density, double densityMaximum) {
    raster.at<cv::Vec3b>(row, column) = Pixel(density, ToSingle(densityMaximum));
}

// (|a - b| / scale)^2: one axis' share of the squared distance in steps.
double Share(double a, double b, double scale) {
    const double steps = std::fabs(a - b) / scale;
    return steps * steps;
}

}  // namespace

cv::Mat BlackRaster(const Frame& frame) {
    const int width = static_cast<int>(std::trunc((frame.hMax - frame.hMin) / frame.hScale)) + 2;
    const int height = static_cast<int>(std::trunc((frame.vMax - frame.vMin) / frame.vScale)) + 2;
    return cv::Mat(height, width, CV_8UC3, cv::Scalar::all(0));
}

void FillSpatialPicture(cv::Mat& raster, const Frame& f, int direction, const EventRecord* run,
                        int count, double p, double depthStep) {
    const Axes axes = AxesOf(direction);
    std::vector<EventRecord> columnCandidates;
    int k = 0;
    double h = f.hMin;
    while (h <= f.hMax && k < raster.cols) {
        columnCandidates.clear();
        for (int i = 0; i < count; ++i) {
            if (std::fabs(run[i].Column(axes.horizontal) - h) <= f.radius * f.hScale) {
                columnCandidates.push_back(run[i]);
            }
        }
        int r = raster.rows - 1;
        double v = f.vMin;
        while (v <= f.vMax && r >= 0) {
            double density = 0;
            for (const EventRecord& e : columnCandidates) {
                if (std::fabs(e.Column(axes.vertical) - v) < f.radius * f.vScale) {
                    const double d = std::sqrt(Share(e.Column(axes.horizontal), h, f.hScale) +
                                               Share(e.Column(axes.vertical), v, f.vScale) +
                                               Share(e.Column(axes.depth), p, depthStep));
                    density += Weight(d, f.radius, f.gaussian);
                }
            }
            SetPixel(raster, r, k, density, f.densityMaximum);
            r = r - 1;
            v = v + f.vScale;
        }
        k = k + 1;
        h = h + f.hScale;
    }
}

void FillTimePicture(cv::Mat& raster, const Frame& f, int direction, const EventRecord* run,
                     int count) {
    const Axes axes = AxesOf(direction);
    std::vector<EventRecord> columnCandidates;
    int k = 0;
    double h = f.hMin;
    while (h <= f.hMax && k < raster.cols) {
        columnCandidates.clear();
        for (int i = 0; i < count; ++i) {
            if (std::fabs(run[i].Column(axes.horizontal) - h) < f.radius * f.hScale) {
                columnCandidates.push_back(run[i]);
            }
        }
        int r = raster.rows - 1;
        double v = f.vMin;
        while (v <= f.vMax && r >= 0) {
            double density = 0;
            for (const EventRecord& e : columnCandidates) {
                if (std::fabs(e.Column(axes.vertical) - v) < f.radius * f.vScale) {
                    const double d = std::sqrt(Share(e.Column(axes.horizontal), h, f.hScale) +
                                               Share(e.Column(axes.vertical), v, f.vScale));
                    density += Weight(d, f.radius, f.gaussian);
                }
            }
            SetPixel(raster, r, k, density, f.densityMaximum);
            r = r - 1;
            v = v + f.vScale;
        }
        k = k + 1;
        h = h + f.hScale;
    }
}

double EstimateSpatialMaximumAllPairs(const EventTable& events, double radius, double hScale,
                                      double vScale, double depthStep, int direction,
                                      bool gaussian) {
    const Axes axes = AxesOf(direction);
    double result = 0;
    for (int i = 0; i < events.count; ++i) {
        const EventRecord& a = events.rows[i];
        double sum = 0;
        for (int j = 0; j < events.count; ++j) {
            const EventRecord& b = events.rows[j];
            if (std::fabs(a.Column(axes.horizontal) - b.Column(axes.horizontal)) <
                    radius * hScale &&
                std::fabs(a.Column(axes.vertical) - b.Column(axes.vertical)) < radius * vScale &&
                std::fabs(a.Column(axes.depth) - b.Column(axes.depth)) < radius * depthStep) {
                const double d =
                    std::sqrt(Share(a.Column(axes.horizontal), b.Column(axes.horizontal), hScale) +
                              Share(a.Column(axes.vertical), b.Column(axes.vertical), vScale) +
                              Share(a.Column(axes.depth), b.Column(axes.depth), depthStep));
                sum += Weight(d, radius, gaussian);
            }
        }
        if (sum > result) {
            result = sum;
        }
    }
    return result;
}

double EstimateTimeMaximumAllPairs(const EventTable& events, double radius, double hScale,
                                   double vScale, double timeStep, int direction, bool cumulative,
                                   bool gaussian) {
    const Axes axes = AxesOf(direction);
    double result = 0;
    for (int i = 0; i < events.count; ++i) {
        const EventRecord& a = events.rows[i];
        double sum = 0;
        for (int j = 0; j < events.count; ++j) {
            const EventRecord& b = events.rows[j];
            const bool inTime = cumulative ? b.t < a.t : std::fabs(a.t - b.t) < timeStep;
            if (std::fabs(a.Column(axes.horizontal) - b.Column(axes.horizontal)) <
                    radius * hScale &&
                std::fabs(a.Column(axes.vertical) - b.Column(axes.vertical)) < radius * vScale &&
                inTime) {
                const double d =
                    std::sqrt(Share(a.Column(axes.horizontal), b.Column(axes.horizontal), hScale) +
                              Share(a.Column(axes.vertical), b.Column(axes.vertical), vScale));
                sum += Weight(d, radius, gaussian);
            }
        }
        if (sum > result) {
            result = sum;
        }
    }
    return result;
}

std::vector<Picture> SpatialSeries(EventTable table, const Frame& frame, int direction,
                                   double depthMin, double depthMax, double depthStep,
                                   int maxPictures) {
    std::vector<Picture> pictures;
    cv::Mat raster = BlackRaster(frame);
    SelectionSortByColumn(table, direction);
    int n = 1;
    double p = depthMin;
    while (p < depthMax && static_cast<int>(pictures.size()) < maxPictures) {
        const double low = p - frame.radius * depthStep;
        const double high = p + frame.radius * depthStep;
        int start = 0;
        while (start < table.count && !(table.rows[start].Column(direction) >= low)) {
            ++start;
        }
        int end = start;
        while (end < table.count && table.rows[end].Column(direction) <= high) {
            ++end;
        }
        FillSpatialPicture(raster, frame, direction, table.rows.data() + start, end - start, p,
                           depthStep);
        pictures.push_back({PictureName("space", n), p + depthStep, raster.clone()});
        n = n + 1;
        p = p + depthStep;
    }
    return pictures;
}

std::vector<Picture> TimeSeries(EventTable table, const Frame& frame, int direction,
                                double timeStep, double timeStart, double timeEnd, bool cumulative,
                                int maxPictures) {
    std::vector<Picture> pictures;
    cv::Mat raster = BlackRaster(frame);
    SelectionSortByColumn(table, 3);
    int n = 1;
    double T = timeStart;
    while (T < timeEnd && static_cast<int>(pictures.size()) < maxPictures) {
        int start = 0;
        if (!cumulative) {
            while (start < table.count && !(table.rows[start].t > T)) {
                ++start;
            }
        }
        int end = start;
        while (end < table.count && table.rows[end].t < T + timeStep) {
            ++end;
        }
        FillTimePicture(raster, frame, direction, table.rows.data() + start, end - start);
        pictures.push_back({PictureName("time", n), T + timeStep, raster.clone()});
        n = n + 1;
        T = T + timeStep;
    }
    return pictures;
}

}  // namespace korvane::reference
