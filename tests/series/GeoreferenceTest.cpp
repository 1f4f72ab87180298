// A map view of a catalogue read from latitude and longitude: each density file gets a world
// file that places its pixels in the catalogue's frame, and the volume the latitude and
// longitude of its cells. Other views and plain event files get neither.

#include <gtest/gtest.h>
#include <netcdf.h>

#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/GeographicFrame.h"
#include "common/NumberText.h"
#include "series/PlaneSeries.h"
#include "series/SeriesObserver.h"
#include "support/EventClouds.h"
#include "support/TempDir.h"

namespace korvane::testing {
namespace {

class Quiet : public SeriesObserver {
  public:
    void PhaseStarted(RunPhase, long long) override {}
    void Progress(long long) override {}
    void PictureWritten(const WrittenPicture&) override {}
    bool ShouldStop() override { return false; }
    void SeriesFinished(const SeriesSummary&) override {}
};

std::vector<double> Lines(const std::string& text) {
    std::vector<double> numbers;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        numbers.push_back(ReadDecimal(text.substr(start, end - start)));
    }
    return numbers;
}

TEST(Georeference, AMapOfACatalogueCarriesItsGridInWorldFilesAndTheVolume) {
    TempDir dir;
    CloudRecipe recipe;
    recipe.count = 100;
    EventTable events = MakeCloud(recipe);
    CatalogueReport catalogue;
    catalogue.geographic = true;
    catalogue.originLatitude = 38.0;
    catalogue.originLongitude = 37.0;
    catalogue.unit = LengthUnit::Kilometre;

    CalculationRequest request;
    request.eventFilePath = dir.file("quakes.csv");
    request.kind = CalculationKind::Spatial;
    request.box = {{-4, 8}, {2, 11}, {0, 10}};
    request.pictureWidth = 24;
    request.pictureHeight = 18;
    request.numberOfPictures = 2;
    request.weighting = {1.5, true};
    request.output.densities = true;
    request.output.volume = true;
    for (const ViewDirection direction : {ViewDirection::AlongX, ViewDirection::AlongZ}) {
        request.direction = direction;
        Quiet observer;
        SeriesWorkspace work;
        SeriesContext ctx{observer, events, request, 3.0, work};
        ctx.catalogue = &catalogue;
        ASSERT_TRUE(RunSpatialSeries(ctx).ok());
        if (direction == ViewDirection::AlongX) {
            // A side view is no map: no world file.
            EXPECT_FALSE(std::filesystem::exists(dir.file("space0001.tfw")));
            continue;
        }
        // Half a kilometre per pixel; the top-left pixel stands for x = -4 and for the top
        // row's y, 2 + (rows - 1) * 0.5 (the raster keeps a spare row past 11).
        const std::vector<double> world = Lines(ReadWholeFile(dir.file("space0002.tfw")));
        ASSERT_EQ(world.size(), 6u);
        EXPECT_DOUBLE_EQ(world[0], 0.5);
        EXPECT_EQ(world[1], 0.0);
        EXPECT_EQ(world[2], 0.0);
        EXPECT_DOUBLE_EQ(world[3], -0.5);
        EXPECT_DOUBLE_EQ(world[4], -4.0);
        EXPECT_DOUBLE_EQ(world[5], 2.0 + (work.raster.rows - 1) * 0.5);

        int file = -1;
        ASSERT_EQ(nc_open(dir.file("space.nc").c_str(), NC_NOWRITE, &file), NC_NOERR);
        std::size_t rows = 0;
        std::size_t columns = 0;
        int id = -1;
        ASSERT_EQ(nc_inq_dimid(file, "y", &id), NC_NOERR);
        ASSERT_EQ(nc_inq_dimlen(file, id, &rows), NC_NOERR);
        ASSERT_EQ(nc_inq_dimid(file, "x", &id), NC_NOERR);
        ASSERT_EQ(nc_inq_dimlen(file, id, &columns), NC_NOERR);
        std::vector<double> x(columns), y(rows), lat(rows * columns), lon(rows * columns);
        for (auto [name, values] : {std::pair{"x", &x}, {"y", &y}, {"lat", &lat}, {"lon", &lon}}) {
            ASSERT_EQ(nc_inq_varid(file, name, &id), NC_NOERR) << name;
            ASSERT_EQ(nc_get_var_double(file, id, values->data()), NC_NOERR);
        }
        char units[32] = {};
        ASSERT_EQ(nc_inq_varid(file, "lat", &id), NC_NOERR);
        ASSERT_EQ(nc_get_att_text(file, id, "units", units), NC_NOERR);
        EXPECT_EQ(std::string(units, 13), "degrees_north");
        nc_close(file);
        // Each cell's latitude and longitude placed again lands on its x and y.
        for (std::size_t j = 0; j < rows; j += 5) {
            for (std::size_t i = 0; i < columns; i += 5) {
                double east = 0.0;
                double north = 0.0;
                LocalEastNorth(38.0, 37.0, lat[j * columns + i], lon[j * columns + i], &east,
                               &north);
                EXPECT_NEAR(east / 1000.0, x[i], 1e-9);
                EXPECT_NEAR(north / 1000.0, y[j], 1e-9);
            }
        }
    }
}

}  // namespace
}  // namespace korvane::testing
