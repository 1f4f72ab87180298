#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "setup/ClassicFields.h"
#include "setup/ParseCalculation.h"
#include "support/SetupBuilder.h"
#include "support/TempDir.h"

namespace korvane {
namespace {

using testing::SetupBuilder;
using testing::TempDir;

// A setup's numbers as its boxes show them and the boxes' texts themselves pass the same
// tests, with the same message, and give the same request: the batch, which runs on the
// setup, and the dialog, which runs on its boxes, cannot drift apart.
TEST(ParseCalculation, ASetupAndTheBoxesShowingItAgree) {
    TempDir dir;
    const std::string events = dir.write("events.dat", "1\t2\t3\t4\n5\t6\t7\t8\n");
    const std::string catalogue = dir.write("events.csv", "x,y,z,t\n1,2,3,4\n");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        std::function<void(CalculationSetup&)> change;
    };
    const Case cases[] = {
        {"passes", [](CalculationSetup&) {}},
        {"rounded to the boxes",
         [](CalculationSetup& s) { s.Amin = 0.0004, s.Amax = 9.9996, s.Radius = 2.5; }},
        {"no event file", [](CalculationSetup& s) { s.FilePath = "/no/such/events.dat"; }},
        {"perspective", [](CalculationSetup& s) { s.Direction = ViewDirection::Perspective; }},
        {"no direction", [](CalculationSetup& s) { s.Direction = std::nullopt; }},
        {"a range not a number", [=](CalculationSetup& s) { s.Amin = nan; }},
        {"a time not finite", [=](CalculationSetup& s) { s.Timestart = inf; }},
        {"a catalogue's time not a number",
         [=](CalculationSetup& s) { s.FilePath = catalogue, s.Timeend = nan; }},
        {"minimum above maximum", [](CalculationSetup& s) { s.Bmin = 11; }},
        {"no pictures", [](CalculationSetup& s) { s.NoOfPictures = 0.4; }},
        {"no radius", [](CalculationSetup& s) { s.Radius = 0.4; }},
        {"radius in coordinates",
         [](CalculationSetup& s) {
             s.Radius = 0.4, s.Output.radiusUnit = RadiusUnit::Coordinates;
         }},
        {"switches", [](CalculationSetup& s) { s.Fixedsize = false, s.Cumulative = true; }},
        {"fixed maximum", [](CalculationSetup& s) { s.Fixeddensity = true, s.Maxdensity = 7.5; }},
    };
    for (const CalculationKind kind : {CalculationKind::Spatial, CalculationKind::Time}) {
        for (const Case& c : cases) {
            CalculationSetup setup = SetupBuilder()
                                         .Events(events)
                                         .Along(ViewDirection::AlongY)
                                         .X(0, 10)
                                         .Y(0, 10)
                                         .Z(0, 10)
                                         .Time(0, 10)
                                         .Size(30, 20)
                                         .Gaussian()
                                         .Pictures(3)
                                         .Radius(1)
                                         .Build();
            c.change(setup);
            CalculationRequest fromSetup;
            CalculationRequest fromBoxes;
            const Status typed = ParseCalculation(setup.AsBoxesShowIt(), kind, &fromSetup);
            const Status boxed = ParseCalculation(DialogValuesFromSetup(setup), kind, &fromBoxes);
            ASSERT_EQ(typed.code(), boxed.code()) << c.name;
            EXPECT_EQ(typed.message(), boxed.message()) << c.name;
            if (!typed.ok()) {
                continue;
            }
            EXPECT_EQ(fromSetup.direction, fromBoxes.direction) << c.name;
            EXPECT_EQ(fromSetup.eventFilePath, fromBoxes.eventFilePath) << c.name;
            for (int axis = 0; axis < 3; ++axis) {
                EXPECT_EQ(fromSetup.box.Column(axis).min, fromBoxes.box.Column(axis).min);
                EXPECT_EQ(fromSetup.box.Column(axis).max, fromBoxes.box.Column(axis).max);
            }
            EXPECT_EQ(fromSetup.time.min, fromBoxes.time.min) << c.name;
            EXPECT_EQ(fromSetup.time.max, fromBoxes.time.max) << c.name;
            EXPECT_EQ(fromSetup.pictureWidth, fromBoxes.pictureWidth) << c.name;
            EXPECT_EQ(fromSetup.pictureHeight, fromBoxes.pictureHeight) << c.name;
            EXPECT_EQ(fromSetup.numberOfPictures, fromBoxes.numberOfPictures) << c.name;
            EXPECT_EQ(fromSetup.weighting.radius, fromBoxes.weighting.radius) << c.name;
            EXPECT_EQ(fromSetup.weighting.gaussian, fromBoxes.weighting.gaussian) << c.name;
            EXPECT_EQ(fromSetup.cumulative, fromBoxes.cumulative) << c.name;
            EXPECT_EQ(fromSetup.fixedDensityMaximum, fromBoxes.fixedDensityMaximum) << c.name;
        }
    }
}

// Every field of the table has its own key, its own member and, where it has one, its own
// control: a row copied and not changed would make two boxes show one value.
TEST(ClassicFields, EveryFieldIsItsOwn) {
    const auto fields = ClassicFields();
    ASSERT_EQ(fields.size(), 19u);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        for (std::size_t j = i + 1; j < fields.size(); ++j) {
            EXPECT_STRNE(fields[i].key, fields[j].key);
            EXPECT_STRNE(fields[i].control, fields[j].control);
            if (fields[i].number != nullptr) {
                EXPECT_NE(fields[i].number, fields[j].number) << fields[i].key;
            }
            if (fields[i].flag != nullptr) {
                EXPECT_NE(fields[i].flag, fields[j].flag) << fields[i].key;
            }
            if (fields[i].text != nullptr) {
                EXPECT_NE(fields[i].text, fields[j].text) << fields[i].key;
            }
            if (fields[i].state != nullptr) {
                EXPECT_NE(fields[i].state, fields[j].state) << fields[i].key;
            }
        }
        EXPECT_EQ(ClassicFieldOfKey(fields[i].key), &fields[i]);
    }
}

}  // namespace
}  // namespace korvane
