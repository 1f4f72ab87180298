#pragma once
// The density pictures and estimates written out literally: a per-pixel walk over a buffer
// of column candidates, and the all-pairs estimates. Slow and obviously right; the oracle for
// the engine's fast fill and cell-grid estimates.

#include <opencv2/core.hpp>
#include <string>
#include <vector>

#include "events/EventTable.h"

namespace korvane::reference {

// The picture parameters both series share.
struct Frame {
    double hMin = 0, hMax = 0, vMin = 0, vMax = 0;
    double hScale = 1, vScale = 1;
    double radius = 1;
    bool gaussian = false;
    // The radius in the events' units on every axis (box half width = radius, distance
    // = difference / 1); else in pixel and slice steps (half width = radius x scale,
    // distance = difference / scale).
    bool coordinateRadius = false;
    double densityMaximum = 1;
    // When set: each pixel's density (64-bit float, one channel, the raster's size), set
    // where the pixel is coloured.
    cv::Mat* densities = nullptr;
    // When set: the weight of each event of the run (run[i] weighs weights[i]); an event
    // then adds its weight times its kernel weight. Else every event weighs 1.
    const double* weights = nullptr;
};

// A black raster of trunc(range / scale) + 2 pixels per axis.
cv::Mat BlackRaster(const Frame& frame);

// One spatial picture for slice position p over the events run[0..count), pixel by pixel,
// into `raster` (only the pixels the walk reaches are set).
void FillSpatialPicture(cv::Mat& raster, const Frame& frame, int direction, const EventRecord* run,
                        int count, double p, double depthStep);

// One time picture over the events run[0..count).
void FillTimePicture(cv::Mat& raster, const Frame& frame, int direction, const EventRecord* run,
                     int count);

// The estimates weigh event j by events.weights[j] when the table has weights.
double EstimateSpatialMaximumAllPairs(const EventTable& events, double radius, double hScale,
                                      double vScale, double depthStep, int direction,
                                      bool gaussian);

double EstimateTimeMaximumAllPairs(const EventTable& events, double radius, double hScale,
                                   double vScale, double timeStep, int direction, bool cumulative,
                                   bool gaussian);

// A whole series, literally: the table is sorted with the selection sort, each picture's
// run found by scanning, each picture filled pixel by pixel. At most `maxPictures`.
struct Picture {
    std::string fileName;
    double caption = 0;
    cv::Mat raster;
    cv::Mat densities;  // the frame's densities after this picture, when it records them
};
std::vector<Picture> SpatialSeries(EventTable table, const Frame& frame, int direction,
                                   double depthMin, double depthMax, double depthStep,
                                   int maxPictures);
std::vector<Picture> TimeSeries(EventTable table, const Frame& frame, int direction,
                                double timeStep, double timeStart, double timeEnd, bool cumulative,
                                int maxPictures);

}  // namespace korvane::reference
