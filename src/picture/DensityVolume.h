#pragma once
// The densities of a whole series in one NetCDF-4 file that follows the CF conventions: a
// stack of the pictures' density planes (slices or time windows) over the picture's columns
// and rows, each axis with its coordinates and unit, so that 3-D and map tools open it as a
// volume. It is written plane by plane as the series goes and appears whole or not at all.

#include <memory>
#include <opencv2/core.hpp>
#include <string>
#include <utility>
#include <vector>

#include "common/Ranges.h"
#include "common/Status.h"

namespace korvane {

// One axis of the volume: its dimension name ("x", "y", "z", "time"), unit and a sentence
// for people; the picture axes also their coordinates, ascending.
struct VolumeAxis {
    std::string name;
    std::string units;
    std::string longName;
    std::vector<double> values;
};

struct VolumeLayout {
    VolumeAxis columns;  // across the picture, left to right
    VolumeAxis rows;     // up the picture, bottom to top
    VolumeAxis stack;    // the slices or windows (no values: they come with each plane)
    bool stackIsTime = false;
    std::string densityName;                                          // what a cell holds, in words
    std::vector<std::pair<std::string, std::string>> textAttributes;  // of the file
    std::vector<std::pair<std::string, double>> numberAttributes;     // of the file
    // The latitude and longitude of every cell of a plane, row after row from the bottom
    // (rows x columns values each), for a map of a catalogue; empty: none.
    std::vector<double> latitudes;
    std::vector<double> longitudes;
};

// One volume file: Begin, Append plane after plane, Finish. Until Finish it is a locked
// temporary beside its target, removed if the writing stops.
class DensityVolumeFile {
  public:
    explicit DensityVolumeFile(std::string target);
    ~DensityVolumeFile();
    DensityVolumeFile(const DensityVolumeFile&) = delete;
    DensityVolumeFile& operator=(const DensityVolumeFile&) = delete;

    // Creates the file and its axes. Fails naming the file and the reason.
    Status Begin(const VolumeLayout& layout);
    // Adds one plane: `densities` as a density TIFF holds them (32-bit float, row 0 at the
    // top, at least as many columns and rows as the layout's axes), at `position` of the
    // stack axis, drawn from the events within `bounds`.
    Status Append(const cv::Mat& densities, double position, const AxisRange& bounds);
    // Closes the file and puts it in place. Without it (a series stopped or failed) nothing
    // is left behind.
    Status Finish();

  private:
    Status Failed(int error);

    struct Handle;
    std::string m_target;
    std::unique_ptr<Handle> m_handle;
    int m_planes = 0;
    std::vector<float> m_plane;
};

}  // namespace korvane
