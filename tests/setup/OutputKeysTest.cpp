// The output keys after the nineteen lines: written only when they differ from the default,
// read back, and older files load unchanged.

#include <gtest/gtest.h>

#include <string>

#include "setup/DialogValues.h"
#include "setup/SetupFile.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using testing::ReadWholeFile;
using testing::TempDir;

constexpr const char* NineteenLines =
    "[File-Path]\t/data/e.dat\r\n[Direction]\t2\r\n[Amin]\t0.000000e+00\r\n"
    "[Amax]\t1.000000e+02\r\n[Bmin]\t0.000000e+00\r\n[Bmax]\t1.000000e+02\r\n"
    "[Cmin]\t0.000000e+00\r\n[Cmax]\t5.000000e+01\r\n[Timestart]\t0.000000e+00\r\n"
    "[Timeend]\t1.000000e+02\r\n[Fixedsize]\t0\r\n[Width]\t800\r\n[Height]\t800\r\n"
    "[Fixeddensity]\t0\r\n[Maxdensity]\t0.000000e+00\r\n[Gaussiandistance]\t0\r\n"
    "[NoOfPictures]\t4.000000e+01\r\n[Cumulative]\t0\r\n[Radius]\t8.000000e+00\r\n";

std::string SaveAndRead(const CalculationSetup& setup, TempDir& dir) {
    const std::string path = dir.file("s.ini");
    EXPECT_TRUE(SaveSetupFile(setup, path).ok());
    return ReadWholeFile(path);
}

CalculationSetup Loaded(const std::string& text, TempDir& dir,
                        const CalculationSetup& before = {}) {
    const std::string path = dir.write("in.ini", text);
    CalculationSetup setup = before;
    EXPECT_TRUE(LoadSetupFile(setup, path).ok());
    return setup;
}

TEST(OutputKeys, DefaultsAddNothingAndEachChoiceAddsOnlyItsLine) {
    TempDir dir;
    CalculationSetup setup = Loaded(NineteenLines, dir);
    EXPECT_EQ(setup.Output, OutputOptions{});
    EXPECT_EQ(SaveAndRead(setup, dir), NineteenLines);  // byte for byte as before

    setup.Output.format = PictureFormat::Png;
    EXPECT_EQ(SaveAndRead(setup, dir), std::string(NineteenLines) + "[Pictureformat]\tPNG\r\n");
    setup.Output = {};
    setup.Output.densities = true;
    EXPECT_EQ(SaveAndRead(setup, dir), std::string(NineteenLines) + "[Densitydata]\t1\r\n");
    setup.Output = {};
    setup.Output.index = false;
    EXPECT_EQ(SaveAndRead(setup, dir), std::string(NineteenLines) + "[Seriesindex]\t0\r\n");
    setup.Output = {};
    setup.Output.volume = true;
    EXPECT_EQ(SaveAndRead(setup, dir), std::string(NineteenLines) + "[Volume]\t1\r\n");
    EXPECT_TRUE(Loaded(SaveAndRead(setup, dir), dir).Output.volume);
    setup.Output = {};
    setup.Output.colourMap = ColourMap::Viridis;
    setup.Output.scale = DensityScale::Log;
    setup.Output.eventWeights = EventWeighting::Moment;
    setup.Output.maximum = {MaximumMode::Percentile, 99};
    setup.Output.radiusUnit = RadiusUnit::Coordinates;
    setup.Output.unit = "km";
    EXPECT_EQ(SaveAndRead(setup, dir), std::string(NineteenLines) +
                                           "[Colourmap]\tviridis\r\n[Scale]\tlog\r\n"
                                           "[Weights]\tmoment\r\n[Maximum]\tpercentile:99\r\n"
                                           "[Radiusunit]\tcoordinates\r\n[Unit]\tkm\r\n");
    EXPECT_EQ(Loaded(SaveAndRead(setup, dir), dir).Output, setup.Output);
    // A map, scale or weighting this program does not know leaves the setting as it was.
    EXPECT_EQ(Loaded(std::string(NineteenLines) +
                         "[Colourmap]\tjet\r\n[Scale]\tcube\r\n[Weights]\tenergy\r\n"
                         "[Maximum]\tpercentile:0\r\n[Radiusunit]\tinches\r\n"
                         "[Unit]\tfar more than sixteen letters\r\n",
                     dir, setup)
                  .Output,
              setup.Output);
    // Calendar windows and their zone; windows that cannot be read leave equal steps.
    setup.Output = {};
    setup.Output.windows.unit = WindowUnit::Month;
    setup.Output.windows.count = 3;
    setup.Output.windows.offsetMinutes = -210;
    EXPECT_EQ(SaveAndRead(setup, dir),
              std::string(NineteenLines) + "[Windows]\t3mo\r\n[Windowsoffset]\t-03:30\r\n");
    EXPECT_EQ(Loaded(SaveAndRead(setup, dir), dir).Output, setup.Output);
    EXPECT_EQ(
        Loaded(std::string(NineteenLines) + "[Windows]\tfortnightly\r\n", dir).Output.windows.unit,
        WindowUnit::Steps);
    // Overlay files: one line per kind, each path after a TAB (a blank in a path kept).
    setup.Output = {};
    setup.Output.overlayLines = {"/maps/faults.geojson", "/mine/drifts 2.txt"};
    EXPECT_EQ(SaveAndRead(setup, dir),
              std::string(NineteenLines) +
                  "[Overlay-Lines]\t/maps/faults.geojson\t/mine/drifts 2.txt\r\n");
    setup.Output.overlayPoints = {"/maps/stations.csv"};
    EXPECT_EQ(Loaded(SaveAndRead(setup, dir), dir).Output, setup.Output);
    // The view's choices: each line only when it is not automatic; unknown words are ignored.
    setup.Output = {};
    setup.Output.view = {DepthAxis::Down, true, ExaggerationNote::Hidden, TickStyle::Round};
    EXPECT_EQ(SaveAndRead(setup, dir), std::string(NineteenLines) +
                                           "[Depthaxis]\tdown\r\n[Truescale]\t1\r\n"
                                           "[Exaggeration]\thidden\r\n[Ticks]\tround\r\n");
    EXPECT_EQ(Loaded(SaveAndRead(setup, dir), dir).Output, setup.Output);
    EXPECT_EQ(Loaded(std::string(NineteenLines) +
                         "[Depthaxis]\tsideways\r\n[Exaggeration]\t\r\n[Ticks]\tsquare\r\n",
                     dir, setup)
                  .Output,
              setup.Output);
    // The folder is chosen for one run and never stored.
    setup.Output = {};
    setup.Output.folder = "/elsewhere";
    EXPECT_EQ(SaveAndRead(setup, dir), NineteenLines);
}

TEST(OutputKeys, EveryCombinationRoundTrips) {
    TempDir dir;
    for (int bits = 0; bits < 8; ++bits) {
        CalculationSetup saved = Loaded(NineteenLines, dir);
        saved.Output.format = bits & 1 ? PictureFormat::Png : PictureFormat::Bmp;
        saved.Output.densities = (bits & 2) != 0;
        saved.Output.index = (bits & 4) == 0;
        const std::string path = dir.file("round.ini");
        ASSERT_TRUE(SaveSetupFile(saved, path).ok());
        // Loaded over a setup whose output differs everywhere: every non-default key is
        // read; a default is simply absent, so it keeps what the setup held.
        CalculationSetup loaded = Loaded(ReadWholeFile(path), dir, saved);
        EXPECT_EQ(loaded, saved) << bits;
        EXPECT_EQ(Loaded(ReadWholeFile(path), dir).Output, saved.Output) << bits;
    }
}

TEST(OutputKeys, ReadingIsLenientAndUnknownKeysStayIgnored) {
    TempDir dir;
    const CalculationSetup plain = Loaded(NineteenLines, dir);
    const std::string extra = std::string(NineteenLines) +
                              "[Pictureformat]\tpng\r\n[Densitydata]\t1.0\r\n"
                              "[Seriesindex]\t0\n[Colours]\tmany\r\n[pictureformat]\tBMP\r\n";
    CalculationSetup setup = Loaded(extra, dir);
    EXPECT_EQ(setup.Output.format, PictureFormat::Png);  // the small-letter key is ignored
    EXPECT_TRUE(setup.Output.densities);
    EXPECT_FALSE(setup.Output.index);
    setup.Output = {};
    EXPECT_EQ(setup, plain);  // nothing else changed

    // A format the program does not write leaves the format as it was; a later line wins.
    const CalculationSetup odd = Loaded(std::string(NineteenLines) +
                                            "[Pictureformat]\tPNG\r\n[Pictureformat]\tGIF\r\n"
                                            "[Densitydata]\t1\r\n[Densitydata]\t0\r\n",
                                        dir);
    EXPECT_EQ(odd.Output.format, PictureFormat::Png);
    EXPECT_FALSE(odd.Output.densities);
}

TEST(OutputKeys, TheDialogValuesCarryTheOutputIntoTheSetup) {
    CalculationSetup setup;
    setup.Output.format = PictureFormat::Png;
    setup.Output.index = false;
    const DialogValues values = DialogValuesFromSetup(setup);
    EXPECT_EQ(values.output, setup.Output);
    EXPECT_EQ(SetupFromDialogValues(values).Output, setup.Output);
}

}  // namespace
}  // namespace korvane
