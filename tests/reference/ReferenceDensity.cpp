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

// What event i of a run adds at distance d: its weight, when the frame has them, times the
// kernel.
long double Term(const Frame& f, int i, long double d) {
    const long double kernel = Weight(d, f.radius, f.gaussian);
    return f.weights != nullptr ? f.weights[i] * kernel : kernel;
}

// The units of one step of the radius along an axis whose pixels are `scale` apart.
double RadiusStep(const Frame& f, double scale) {
    return f.coordinateRadius ? 1.0 : scale;
}

// (|a - b| / scale)^2: one axis' share of the squared distance in steps, in long double.
long double Share(double a, double b, double scale) {
    const long double steps = std::fabs(static_cast<long double>(a) - b) / scale;
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
    const double hStep = RadiusStep(f, f.hScale);
    const double vStep = RadiusStep(f, f.vScale);
    std::vector<int> columnCandidates;  // indices into the run
    int k = 0;
    double h = f.hMin;
    while (h <= f.hMax && k < raster.cols) {
        columnCandidates.clear();
        for (int i = 0; i < count; ++i) {
            if (std::fabs(Coordinate(run[i], axes.horizontal) - h) <= f.radius * hStep) {
                columnCandidates.push_back(i);
            }
        }
        int r = raster.rows - 1;
        double v = f.vMin;
        while (v <= f.vMax && r >= 0) {
            long double density = 0;
            for (int i : columnCandidates) {
                const EventRecord& e = run[i];
                if (std::fabs(Coordinate(e, axes.vertical) - v) < f.radius * vStep) {
                    const long double d =
                        std::sqrt(Share(Coordinate(e, axes.horizontal), h, hStep) +
                                  Share(Coordinate(e, axes.vertical), v, vStep) +
                                  Share(Coordinate(e, axes.depth), p, RadiusStep(f, depthStep)));
                    density += Term(f, i, d);
                }
            }
            SetPixel(raster, r, k, static_cast<double>(density), f.densityMaximum);
            if (f.densities != nullptr) {
                f.densities->at<double>(r, k) = static_cast<double>(density);
            }
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
    const double hStep = RadiusStep(f, f.hScale);
    const double vStep = RadiusStep(f, f.vScale);
    std::vector<int> columnCandidates;  // indices into the run
    int k = 0;
    double h = f.hMin;
    while (h <= f.hMax && k < raster.cols) {
        columnCandidates.clear();
        for (int i = 0; i < count; ++i) {
            if (std::fabs(Coordinate(run[i], axes.horizontal) - h) < f.radius * hStep) {
                columnCandidates.push_back(i);
            }
        }
        int r = raster.rows - 1;
        double v = f.vMin;
        while (v <= f.vMax && r >= 0) {
            long double density = 0;
            for (int i : columnCandidates) {
                const EventRecord& e = run[i];
                if (std::fabs(Coordinate(e, axes.vertical) - v) < f.radius * vStep) {
                    const long double d =
                        std::sqrt(Share(Coordinate(e, axes.horizontal), h, hStep) +
                                  Share(Coordinate(e, axes.vertical), v, vStep));
                    density += Term(f, i, d);
                }
            }
            SetPixel(raster, r, k, static_cast<double>(density), f.densityMaximum);
            if (f.densities != nullptr) {
                f.densities->at<double>(r, k) = static_cast<double>(density);
            }
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
    long double result = 0;
    for (int i = 0; i < events.count; ++i) {
        const double ah = Coordinate(events.rows[i], axes.horizontal);
        const double av = Coordinate(events.rows[i], axes.vertical);
        const double ad = Coordinate(events.rows[i], axes.depth);
        long double sum = 0;
        for (int j = 0; j < events.count; ++j) {
            const double bh = Coordinate(events.rows[j], axes.horizontal);
            const double bv = Coordinate(events.rows[j], axes.vertical);
            const double bd = Coordinate(events.rows[j], axes.depth);
            if (std::fabs(ah - bh) < radius * hScale && std::fabs(av - bv) < radius * vScale &&
                std::fabs(ad - bd) < radius * depthStep) {
                const long double d = std::sqrt(Share(ah, bh, hScale) + Share(av, bv, vScale) +
                                                Share(ad, bd, depthStep));
                sum += events.weights.empty() ? Weight(d, radius, gaussian)
                                              : events.weights[j] * Weight(d, radius, gaussian);
            }
        }
        if (sum > result) {
            result = sum;
        }
    }
    return static_cast<double>(result);
}

double EstimateTimeMaximumAllPairs(const EventTable& events, double radius, double hScale,
                                   double vScale, double timeStep, int direction, bool cumulative,
                                   bool gaussian) {
    const Axes axes = AxesOf(direction);
    long double result = 0;
    for (int i = 0; i < events.count; ++i) {
        const double ah = Coordinate(events.rows[i], axes.horizontal);
        const double av = Coordinate(events.rows[i], axes.vertical);
        const double at = Coordinate(events.rows[i], 3);
        long double sum = 0;
        for (int j = 0; j < events.count; ++j) {
            const double bh = Coordinate(events.rows[j], axes.horizontal);
            const double bv = Coordinate(events.rows[j], axes.vertical);
            const double bt = Coordinate(events.rows[j], 3);
            const bool inTime = cumulative ? bt < at : std::fabs(at - bt) < timeStep;
            if (std::fabs(ah - bh) < radius * hScale && std::fabs(av - bv) < radius * vScale &&
                inTime) {
                const long double d = std::sqrt(Share(ah, bh, hScale) + Share(av, bv, vScale));
                sum += events.weights.empty() ? Weight(d, radius, gaussian)
                                              : events.weights[j] * Weight(d, radius, gaussian);
            }
        }
        if (sum > result) {
            result = sum;
        }
    }
    return static_cast<double>(result);
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
        const double low = p - frame.radius * RadiusStep(frame, depthStep);
        const double high = p + frame.radius * RadiusStep(frame, depthStep);
        int start = 0;
        while (start < table.count && !(Coordinate(table.rows[start], direction) >= low)) {
            ++start;
        }
        int end = start;
        while (end < table.count && Coordinate(table.rows[end], direction) <= high) {
            ++end;
        }
        FillSpatialPicture(raster, frame, direction, table.rows.data() + start, end - start, p,
                           depthStep);
        pictures.push_back({PictureName("space", n), p + depthStep, raster.clone(),
                            frame.densities ? frame.densities->clone() : cv::Mat()});
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
        pictures.push_back({PictureName("time", n), T + timeStep, raster.clone(),
                            frame.densities ? frame.densities->clone() : cv::Mat()});
        n = n + 1;
        T = T + timeStep;
    }
    return pictures;
}

}  // namespace korvane::reference
