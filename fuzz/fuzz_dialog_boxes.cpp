// The input checks and the run values on arbitrary box texts. The input is split at line
// feeds into the thirteen boxes; its first bytes choose the mode, the direction, the check
// boxes and the event file. Whatever the boxes hold, the checks refuse with one message or
// pass, pass only what a calculation can run on, and the request of what passes holds the
// values the boxes give and a raster the engine either makes or refuses with a reason.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "common/NumberText.h"
#include "density/DensityEstimate.h"
#include "density/DensityGrid.h"
#include "events/ViewAxes.h"
#include "series/PlaneSeries.h"
#include "setup/CalculateCommand.h"
#include "setup/DialogValues.h"

using korvane::DialogValues;
using korvane::ReadDecimal;
using korvane::fuzzing::Require;

namespace {

struct Files {
    std::string events;   // a small event file
    std::string missing;  // a name that does not exist
    std::string folder;   // a folder
};

const Files& TestFiles() {
    static const Files files = [] {
        Files f;
        const std::uint8_t content[] = "1\t2\t3\t4\n1.5\t2.5\t3.5\t4.5\n";
        f.events = korvane::fuzzing::WriteScratchFile(content, sizeof content - 1);
        f.missing = korvane::fuzzing::ScratchPath("missing.dat");
        f.folder = std::filesystem::path(f.events).parent_path().string();
        return f;
    }();
    return files;
}

// A small table with ties, far-away and negative events, for the density estimates.
const korvane::EventTable& Events() {
    static const korvane::EventTable table = [] {
        korvane::EventTable t;
        const double coordinates[][4] = {{0, 0, 0, 0},   {0, 0, 0, 0},      {1, 1, 1, 1},
                                         {-5, 2, 7, 3},  {1e6, -1e6, 3, 9}, {0.5, 0.5, 0.5, 2},
                                         {2, 2, 2, 2.5}, {3, -3, 3, -3},    {1e-9, 0, 0, 5}};
        for (const auto& c : coordinates) {
            t.rows[static_cast<std::size_t>(t.count++)] = {c[0], c[1], c[2], c[3]};
        }
        return t;
    }();
    return table;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t feed = text.find('\n', start);
        parts.emplace_back(text.substr(start, feed - start));
        if (feed == std::string_view::npos)
            break;
        start = feed + 1;
    }
    return parts;
}

bool Checked(int state) {
    return state == 1;
}

korvane::CalculationKind KindOf(int mode) {
    return mode == korvane::SpatialResolvedMode ? korvane::CalculationKind::Spatial
                                                : korvane::CalculationKind::Time;
}

void CheckPassedValues(const DialogValues& v, int mode) {
    const std::string* const boxes[] = {&v.xMin,      &v.xMax,    &v.yMin,
                                        &v.yMax,      &v.zMin,    &v.zMax,
                                        &v.timeStart, &v.timeEnd, &v.numberOfPictures,
                                        &v.height,    &v.width,   &v.densityMaximum,
                                        &v.radius};
    for (const std::string* box : boxes) {
        Require(korvane::IsNumberText(*box), "a box that is not a number passed");
        Require(std::isfinite(ReadDecimal(*box)), "a box of no finite value passed");
    }
    Require(ReadDecimal(v.xMin) <= ReadDecimal(v.xMax) &&
                ReadDecimal(v.yMin) <= ReadDecimal(v.yMax) &&
                ReadDecimal(v.zMin) <= ReadDecimal(v.zMax) &&
                ReadDecimal(v.timeStart) <= ReadDecimal(v.timeEnd),
            "a reversed range passed");
    const double pictures = ReadDecimal(v.numberOfPictures);
    Require(pictures > 0 && pictures <= 9999, "a number of pictures out of range passed");
    Require(ReadDecimal(v.width) > 0 && ReadDecimal(v.height) > 0, "a picture size <= 0 passed");
    Require(v.direction >= 0 && v.direction <= 3, "no direction passed");
    Require(!(mode == korvane::SpatialResolvedMode && v.direction == 3),
            "perspective passed in the spatial mode");
}

// The run values derived from the boxes, which the request that passed must give, then the
// raster and the estimates the engine works out from them.
void DeriveAndRun(const DialogValues& v, int mode, const korvane::CalculationRequest& request) {
    if (v.direction == 3) {
        return;  // the perspective series has no plane ranges
    }
    const korvane::AxisMap axes =
        korvane::ViewAxes(static_cast<korvane::ViewDirection>(v.direction));
    const std::string* const mins[] = {&v.xMin, &v.yMin, &v.zMin};
    const std::string* const maxs[] = {&v.xMax, &v.yMax, &v.zMax};
    const double hMin = ReadDecimal(*mins[axes.horizontal]);
    const double hMax = ReadDecimal(*maxs[axes.horizontal]);
    const double vMin = ReadDecimal(*mins[axes.vertical]);
    const double vMax = ReadDecimal(*maxs[axes.vertical]);
    const bool fixed = Checked(v.fixedSizeState);
    const double width = fixed ? ReadDecimal(v.width) : 800.0;
    const double height = fixed ? ReadDecimal(v.height) : 800.0;
    const double pictures = ReadDecimal(v.numberOfPictures);
    const double hScale = korvane::ScaleOrStep({hMin, hMax}, width);
    const double vScale = korvane::ScaleOrStep({vMin, vMax}, height);
    const double depthStep = korvane::ScaleOrStep(
        {ReadDecimal(*mins[axes.depth]), ReadDecimal(*maxs[axes.depth])}, pictures);
    const double timeStep =
        korvane::ScaleOrStep({ReadDecimal(v.timeStart), ReadDecimal(v.timeEnd)}, pictures);
    const double radius = ReadDecimal(v.radius);
    const bool gaussian = Checked(v.gaussianState);

    const korvane::ViewGeometry view = korvane::ViewGeometryOf(request);
    const korvane::PlaneRange& ranges = view.ranges;
    const korvane::PlaneScale& scale = view.scale;
    Require(ranges.horizontal.min == hMin && ranges.horizontal.max == hMax &&
                ranges.vertical.min == vMin && ranges.vertical.max == vMax,
            "the request's picture ranges differ from the boxes");
    Require(scale.horizontal == hScale && scale.vertical == vScale,
            "the request's scales differ from the boxes");
    Require(korvane::ScaleOrStep(request.box.Column(axes.depth), request.numberOfPictures) ==
                    depthStep &&
                korvane::ScaleOrStep(request.time, request.numberOfPictures) == timeStep,
            "the request's steps differ from the boxes");
    Require(request.weighting.radius == radius && request.weighting.gaussian == gaussian,
            "the request's weighting differs from the boxes");

    // Positions are worked out per column and row, so only rasters of a sensible size are made
    // here.
    // The raster is about (width + 2) x (height + 2) pixels, at least 2 x 2.
    if ((std::max(width, 0.0) + 2.0) * (std::max(height, 0.0) + 2.0) <= 4.0e6) {
        korvane::DensityGrid grid;
        const korvane::Status made = korvane::MakeDensityGrid({{hMin, hMax}, {vMin, vMax}},
                                                              {hScale, vScale}, {300, 200}, grid);
        if (made.ok()) {
            Require(grid.width >= 1 && grid.height >= 1, "an empty raster was made");
            Require(static_cast<double>(grid.width) * grid.height <= korvane::MaxRasterPixels,
                    "a raster beyond the limit was made");
            Require(grid.columnPositions.size() <= static_cast<std::size_t>(grid.width) &&
                        grid.rowPositions.size() <= static_cast<std::size_t>(grid.height),
                    "the walk leaves the raster");
        } else {
            Require(!made.message().empty(), "a raster refused without a reason");
        }
    }

    double estimate = 0;
    if (mode == korvane::SpatialResolvedMode) {
        estimate = korvane::EstimateSpatialMaximum(Events(), view.axes, scale, depthStep,
                                                   request.weighting);
    } else {
        estimate = korvane::EstimateTimeMaximum(Events(), view.axes, scale, timeStep,
                                                request.cumulative, request.weighting);
    }
    Require(!std::isnan(estimate) && estimate >= 0, "a density estimate is not a number >= 0");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    const Files& files = TestFiles();
    const int mode = (data[0] & 1) ? korvane::TimeResolvedMode : korvane::SpatialResolvedMode;
    DialogValues values;
    values.direction = static_cast<int>((data[0] >> 1) % 6) - 1;  // -1 .. 4
    values.fixedSizeState = data[1] & 3;
    values.fixedDensityState = (data[1] >> 2) & 3;
    values.gaussianState = (data[1] >> 4) & 3;
    values.cumulativeState = (data[1] >> 6) & 3;
    switch (data[2] & 3) {
        case 0:
            values.eventFilePath = files.events;
            break;
        case 1:
            values.eventFilePath = files.missing;
            break;
        case 2:
            values.eventFilePath = files.folder;
            break;
        default:
            values.eventFilePath.clear();
            break;
    }
    const std::vector<std::string> parts =
        SplitLines(std::string_view(reinterpret_cast<const char*>(data) + 3, size - 3));
    std::string* const boxes[] = {&values.xMin,      &values.xMax,    &values.yMin,
                                  &values.yMax,      &values.zMin,    &values.zMax,
                                  &values.timeStart, &values.timeEnd, &values.numberOfPictures,
                                  &values.width,     &values.height,  &values.densityMaximum,
                                  &values.radius};
    for (std::size_t i = 0; i < std::size(boxes) && i < parts.size(); ++i) {
        *boxes[i] = parts[i];
    }

    korvane::CalculationRequest request;
    const korvane::Status parsed = korvane::ParseCalculation(values, KindOf(mode), &request);
    if (!parsed.ok()) {
        Require(parsed.code() == korvane::Status::Code::InvalidInput,
                "a refusal that is not invalid input");
        const std::optional<korvane::UserMessage> box = korvane::MessageOfCalculation(parsed);
        Require(box.has_value() && !box->text.empty(), "a refusal without a message");
        Require(box->caption == "Invalid input!", "a refusal with another caption");
        Require(box->icon == korvane::MessageIcon::Stop, "a refusal without stop");
        return 0;
    }
    Require(values.eventFilePath == files.events, "a missing event file passed");
    CheckPassedValues(values, mode);
    DeriveAndRun(values, mode, request);

    // The setup the boxes hold shows again as boxes that the same checks pass or refuse.
    const DialogValues shown =
        korvane::DialogValuesFromSetup(korvane::SetupFromDialogValues(values));
    korvane::CalculationRequest again;
    const korvane::Status reparsed = korvane::ParseCalculation(shown, KindOf(mode), &again);
    Require(reparsed.ok() || reparsed.code() == korvane::Status::Code::InvalidInput,
            "a second refusal that is not invalid input");
    return 0;
}
