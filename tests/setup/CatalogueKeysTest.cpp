// The catalogue keys after the nineteen lines: one line per choice that differs from the
// default, read back exactly; a plain setup stays byte for byte as it was.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <limits>
#include <string>

#include "setup/DialogValues.h"
#include "setup/SetupFile.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using testing::ReadWholeFile;
using testing::TempDir;

constexpr const char* NineteenLines =
    "[File-Path]\t/data/cat.csv\r\n[Direction]\t2\r\n[Amin]\t0.000000e+00\r\n"
    "[Amax]\t1.000000e+02\r\n[Bmin]\t0.000000e+00\r\n[Bmax]\t1.000000e+02\r\n"
    "[Cmin]\t0.000000e+00\r\n[Cmax]\t5.000000e+01\r\n[Timestart]\t0.000000e+00\r\n"
    "[Timeend]\t1.000000e+02\r\n[Fixedsize]\t0\r\n[Width]\t800\r\n[Height]\t800\r\n"
    "[Fixeddensity]\t0\r\n[Maxdensity]\t0.000000e+00\r\n[Gaussiandistance]\t0\r\n"
    "[NoOfPictures]\t4.000000e+01\r\n[Cumulative]\t0\r\n[Radius]\t8.000000e+00\r\n";

CalculationSetup Load(const std::string& text, TempDir& dir, const CalculationSetup& before = {}) {
    CalculationSetup setup = before;
    EXPECT_TRUE(LoadSetupFile(setup, dir.write("in.ini", text)).ok());
    return setup;
}

std::string Save(const CalculationSetup& setup, TempDir& dir) {
    const std::string path = dir.file("out.ini");
    EXPECT_TRUE(SaveSetupFile(setup, path).ok());
    return ReadWholeFile(path);
}

CalendarInstant Instant(const char* iso) {
    CalendarInstant instant;
    EXPECT_TRUE(ReadIsoTime(iso, &instant)) << iso;
    return instant;
}

TEST(CatalogueKeys, EachChoiceWritesOneLineAndReadsBackExactly) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        std::function<void(CatalogueOptions&)> set;
        const char* lines;
    };
    const Case cases[] = {
        {[](CatalogueOptions&) {}, ""},
        {[](CatalogueOptions& o) { o.columns = "x=lon, y=lat,z=Depth (km),t=3"; },
         "[Catalogue-Columns]\tx=lon, y=lat,z=Depth (km),t=3\r\n"},
        {[](CatalogueOptions& o) { o.preset = CataloguePreset::HypoDD; },
         "[Catalogue-Preset]\thypodd\r\n"},
        {[](CatalogueOptions& o) { o.preset = CataloguePreset::QuakeMl; },
         "[Catalogue-Preset]\tquakeml\r\n"},
        {[](CatalogueOptions& o) { o.separator = '\t'; }, "[Catalogue-Separator]\ttab\r\n"},
        {[](CatalogueOptions& o) { o.separator = '|'; }, "[Catalogue-Separator]\tbar\r\n"},
        {[](CatalogueOptions& o) {
             o.origin = std::array<double, 2>{37.1234567890123, -0.1};
         },
         "[Catalogue-Origin]\t37.1234567890123,-0.1\r\n"},
        {[](CatalogueOptions& o) {
             o.origin = std::array<double, 2>{0, 0};
         },
         "[Catalogue-Origin]\t0,0\r\n"},
        {[](CatalogueOptions& o) {
             o.unit = LengthUnit::Metre;
             o.depthUnit = LengthUnit::Metre;
             o.depthDown = false;
         },
         "[Catalogue-Unit]\tm\r\n[Catalogue-Depthunit]\tm\r\n[Catalogue-Depth]\tup\r\n"},
        {[](CatalogueOptions& o) {
             o.xyUnit = LengthUnit::Kilometre;
             o.depthUnit = LengthUnit::Kilometre;
             o.dateOrder = DateOrder::MonthFirst;
         },
         "[Catalogue-Xyunit]\tkm\r\n[Catalogue-Depthunit]\tkm\r\n[Catalogue-Dateorder]\tmdy\r\n"},
        {[](CatalogueOptions& o) { o.timeReference = Instant("2023-02-06T01:17:34.82+03:00"); },
         "[Catalogue-Timereference]\t2023-02-05T22:17:34.82Z\r\n"},
        {[](CatalogueOptions& o) { o.timeReference = Instant("1969-12-31"); },
         "[Catalogue-Timereference]\t1969-12-31T00:00:00Z\r\n"},
        {[](CatalogueOptions& o) { o.timeReference = Instant("2016-12-31T23:59:60.123456789Z"); },
         "[Catalogue-Timereference]\t2016-12-31T23:59:60.123456789Z\r\n"},
        {[](CatalogueOptions& o) { o.magnitudeMin = 2.5; }, "[Catalogue-Magnitude]\t2.5:\r\n"},
        {[inf](CatalogueOptions& o) {
             o.magnitudeMin = -inf;
             o.magnitudeMax = 7;
         },
         "[Catalogue-Magnitude]\t:7\r\n"},
        {[](CatalogueOptions& o) {
             o.timeMin = 86400.5;
             o.timeMax = 86400.500001;
         },
         "[Catalogue-Timerange]\t86400.5:86400.500001\r\n"},
        // An earlier version's range, since 1970, keeps its key and its meaning.
        {[](CatalogueOptions& o) {
             o.timeMin = 1700086400.5;
             o.timeRangeSince1970 = true;
         },
         "[Catalogue-Time]\t1700086400.5:\r\n"},
        {[](CatalogueOptions& o) {
             o.dropTypes = {"quarry blast", "explosion"};
             o.region = "36,38.5,35.5,39";
             o.depthMin = 2;
         },
         "[Catalogue-Droptypes]\tquarry blast;explosion\r\n[Catalogue-Region]\t36,38.5,35.5,"
         "39\r\n[Catalogue-Depthrange]\t2:\r\n"},
    };
    TempDir dir;
    const CalculationSetup plain = Load(NineteenLines, dir);
    for (const Case& c : cases) {
        CalculationSetup setup = plain;
        c.set(setup.Catalogue);
        const std::string text = Save(setup, dir);
        EXPECT_EQ(text, std::string(NineteenLines) + c.lines);
        // Read over a setup whose catalogue choices differ everywhere: the path line starts
        // the file's own choices afresh, so only what the file says counts.
        CalculationSetup other = plain;
        other.Catalogue.columns = "x=a";
        other.Catalogue.preset = CataloguePreset::GrowClust;
        other.Catalogue.origin = std::array<double, 2>{1, 2};
        other.Catalogue.magnitudeMax = 1;
        EXPECT_EQ(Load(text, dir, other), setup) << c.lines;
        // The dialog values carry the choices to the calculation and back.
        EXPECT_EQ(SetupFromDialogValues(DialogValuesFromSetup(setup)).Catalogue, setup.Catalogue);
    }
}

TEST(CatalogueKeys, ATimeReferenceThatWouldNotReadBackIsRefusedOnSave) {
    TempDir dir;
    CalculationSetup setup = Load(NineteenLines, dir);
    setup.Catalogue.timeReference = CalendarInstant{DaysFromCivil(10000, 1, 1), 3600.0};
    const Status saved = SaveSetupFile(setup, dir.file("out.ini"));
    EXPECT_EQ(saved.code(), Status::Code::InvalidInput);
    EXPECT_NE(saved.message().find("cannot be kept in a setup file"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.ini")));
}

TEST(CatalogueKeys, ValuesThatCannotBeReadLeaveTheChoice) {
    TempDir dir;
    const CalculationSetup setup =
        Load(std::string(NineteenLines) +
                 "[Catalogue-Preset]\tfdsn\r\n[Catalogue-Preset]\tcsv2\r\n"
                 "[Catalogue-Origin]\t95,10\r\n[Catalogue-Origin]\t12\r\n"
                 "[Catalogue-Unit]\tmiles\r\n[Catalogue-Depth]\tsideways\r\n"
                 "[Catalogue-Timereference]\tyesterday\r\n[Catalogue-Magnitude]\t5:2\r\n"
                 "[Catalogue-Time]\tnan:\r\n[Catalogue-Separator]\tcolon\r\n"
                 "[Catalogue-Xyunit]\tfeet\r\n[Catalogue-Dateorder]\tymd\r\n"
                 "[Catalogue-Timereference]\t9999-12-31T23:00:00-02:00\r\n",
             dir);
    CatalogueOptions expected;
    expected.preset = CataloguePreset::FdsnText;
    EXPECT_EQ(setup.Catalogue, expected);
}

}  // namespace
}  // namespace korvane
