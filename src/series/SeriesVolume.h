#pragma once
// The density volume of a spatial or time series: every picture's densities, plane after
// plane, in one NetCDF file with the axes' coordinates and units and the frame of a catalogue.

#include <optional>
#include <string>

#include "density/DensityGrid.h"
#include "picture/DensityVolume.h"
#include "series/SeriesContext.h"

namespace korvane {

struct SeriesSteps;

// Where a series' volume goes ("" when `output` asks for none): its own path, else space.nc
// or time.nc in `folder`.
std::string VolumePathOf(const OutputOptions& output, CalculationKind kind,
                         const std::string& folder);

// Why the request's volume cannot be made ("" when it can, or when it asks for none).
std::string VolumeRefusal(const CalculationRequest& request);

class SeriesVolume {
  public:
    // Opens the volume at `path` for the series' grid. Fails naming the file.
    Status Begin(const SeriesContext& ctx, const DensityGrid& grid, const std::string& path);
    // Adds the densities the series just computed (the picture's own area of `field`).
    Status Add(const DensityField& field, cv::Size area, double position, const AxisRange& bounds);
    // Puts the volume in place; without it nothing is left.
    Status Finish();

    bool open() const { return m_file.has_value(); }

  private:
    std::optional<DensityVolumeFile> m_file;
    cv::Mat m_plane;
};

}  // namespace korvane
