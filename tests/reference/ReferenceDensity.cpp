#include "reference/ReferenceDensity.h"

#include <cmath>

#include "density/Distance.h"
#include "density/Kernel.h"
#include "reference/ReferenceSort.h"
#include "picture/ColourScale.h"
#include "picture/PictureFileName.h"
#include "setup/CalculationSetup.h"
#include "events/ViewAxes.h"

namespace korvane::reference {

namespace {

// Sets one pixel the way a scalar colour is stored into an 8-bit image: each component
// rounded and saturated.
void SetPixel(cv::Mat& raster, int row, int column, double density, double densityMaximum) {
    const cv::Scalar colour = DensityToColour(density, static_cast<float>(densityMaximum));
    raster.at<cv::Vec3b>(row, column) =
        cv::Vec3b(cv::saturate_cast<uchar>(colour[0]), cv::saturate_cast<uchar>(colour[1]),
                  cv::saturate_cast<uchar>(colour[2]));
}

}  // namespace

cv::Mat BlackRaster(const Frame& frame) {
    const int width = static_cast<int>(std::trunc((frame.hMax - frame.hMin) / frame.hScale)) + 2;
    const int height = static_cast<int>(std::trunc((frame.vMax - frame.vMin) / frame.vScale)) + 2;
    return cv::Mat(height, width, CV_8UC3, cv::Scalar::all(0));
}

void FillSpatialPicture(cv::Mat& raster, const Frame& f, int direction, const EventRecord* run,
                        int count, double p, double depthStep) {
    const AxisMap axes = ViewAxes(static_cast<korvane::ViewDirection>(direction));
    std::vector<EventRecord> columnCandidates;
    int k = 0;
    double h = f.hMin;
    while (h <= f.hMax && k < raster.cols) {
        columnCandidates.clear();
        for (int i = 0; i < count; ++i) {
            if (WithinInclusive(run[i].Column(axes.horizontal), h,
                                BoxHalfWidth(f.radius, f.hScale))) {
                columnCandidates.push_back(run[i]);
            }
        }
        int r = raster.rows - 1;
        double v = f.vMin;
        while (v <= f.vMax && r >= 0) {
            double density = 0;
            for (const EventRecord& e : columnCandidates) {
                if (WithinStrict(e.Column(axes.vertical), v, BoxHalfWidth(f.radius, f.vScale))) {
                    const double d =
                        DistanceInSpace(StepsSquared(e.Column(axes.horizontal), h, f.hScale),
                                        StepsSquared(e.Column(axes.vertical), v, f.vScale),
                                        StepsSquared(e.Column(axes.depth), p, depthStep));
                    density += KernelWeight(d, f.radius, f.gaussian);
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
    const AxisMap axes = ViewAxes(static_cast<korvane::ViewDirection>(direction));
    std::vector<EventRecord> columnCandidates;
    int k = 0;
    double h = f.hMin;
    while (h <= f.hMax && k < raster.cols) {
        columnCandidates.clear();
        for (int i = 0; i < count; ++i) {
            if (WithinStrict(run[i].Column(axes.horizontal), h, BoxHalfWidth(f.radius, f.hScale))) {
                columnCandidates.push_back(run[i]);
            }
        }
        int r = raster.rows - 1;
        double v = f.vMin;
        while (v <= f.vMax && r >= 0) {
            double density = 0;
            for (const EventRecord& e : columnCandidates) {
                if (WithinStrict(e.Column(axes.vertical), v, BoxHalfWidth(f.radius, f.vScale))) {
                    const double d =
                        DistanceInPlane(StepsSquared(e.Column(axes.horizontal), h, f.hScale),
                                        StepsSquared(e.Column(axes.vertical), v, f.vScale));
                    density += KernelWeight(d, f.radius, f.gaussian);
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
    const AxisMap axes = ViewAxes(static_cast<korvane::ViewDirection>(direction));
    double result = 0;
    for (int i = 0; i < events.count; ++i) {
        const EventRecord& a = events.rows[i];
        double sum = 0;
        for (int j = 0; j < events.count; ++j) {
            const EventRecord& b = events.rows[j];
            if (WithinStrict(a.Column(axes.horizontal), b.Column(axes.horizontal),
                             BoxHalfWidth(radius, hScale)) &&
                WithinStrict(a.Column(axes.vertical), b.Column(axes.vertical),
                             BoxHalfWidth(radius, vScale)) &&
                WithinStrict(a.Column(axes.depth), b.Column(axes.depth),
                             BoxHalfWidth(radius, depthStep))) {
                const double d = DistanceInSpace(
                    StepsSquared(a.Column(axes.horizontal), b.Column(axes.horizontal), hScale),
                    StepsSquared(a.Column(axes.vertical), b.Column(axes.vertical), vScale),
                    StepsSquared(a.Column(axes.depth), b.Column(axes.depth), depthStep));
                sum += KernelWeight(d, radius, gaussian);
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
    const AxisMap axes = ViewAxes(static_cast<korvane::ViewDirection>(direction));
    double result = 0;
    for (int i = 0; i < events.count; ++i) {
        const EventRecord& a = events.rows[i];
        double sum = 0;
        for (int j = 0; j < events.count; ++j) {
            const EventRecord& b = events.rows[j];
            const bool inTime = cumulative ? b.t < a.t : WithinStrict(a.t, b.t, timeStep);
            if (WithinStrict(a.Column(axes.horizontal), b.Column(axes.horizontal),
                             BoxHalfWidth(radius, hScale)) &&
                WithinStrict(a.Column(axes.vertical), b.Column(axes.vertical),
                             BoxHalfWidth(radius, vScale)) &&
                inTime) {
                const double d = DistanceInPlane(
                    StepsSquared(a.Column(axes.horizontal), b.Column(axes.horizontal), hScale),
                    StepsSquared(a.Column(axes.vertical), b.Column(axes.vertical), vScale));
                sum += KernelWeight(d, radius, gaussian);
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
        pictures.push_back({PictureFileName("space", n), p + depthStep, raster.clone()});
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
        pictures.push_back({PictureFileName("time", n), T + timeStep, raster.clone()});
        n = n + 1;
        T = T + timeStep;
    }
    return pictures;
}

}  // namespace korvane::reference
