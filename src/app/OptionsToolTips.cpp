#include "app/OptionsToolTips.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "app/OptionsControls.h"

namespace korvane {
namespace {

QString RangeTip(const char* axis, const char* end) {
    return QString("The %1 %2 of the events to count, in the units of the event file.")
        .arg(end, axis);
}

}  // namespace

void SetOptionsToolTips(const OptionsControls& c) {
    c.eventFileBox->setToolTip(
        "The event file: one event per line, x y z t separated by tabs. The pictures are "
        "written into its folder.");
    c.loadEventFileButton->setToolTip("Choose the event file.");
    const struct {
        QLineEdit* box;
        const char* axis;
        const char* end;
    } ranges[] = {{c.xMinBox, "x", "smallest"}, {c.xMaxBox, "x", "largest"},
                  {c.yMinBox, "y", "smallest"}, {c.yMaxBox, "y", "largest"},
                  {c.zMinBox, "z", "smallest"}, {c.zMaxBox, "z", "largest"}};
    for (const auto& range : ranges) {
        range.box->setToolTip(RangeTip(range.axis, range.end));
    }
    c.timeStartBox->setToolTip("Start of the first time window, in seconds (time series).");
    c.timeEndBox->setToolTip("End of the last time window, in seconds (time series).");
    c.numberOfPicturesBox->setToolTip(
        "How many pictures the series writes: slices along the direction of view, or time "
        "windows (1 to 9998).");
    c.radiusBox->setToolTip(
        "Half the side of the counting box around each pixel, in pixel steps (or in the "
        "events' units, as chosen in Output Options).");
    c.fixedSizeCheck->setToolTip("Give the density area of each picture a size of your own.");
    c.widthBox->setToolTip("Width of the density area, in pixels.");
    c.heightBox->setToolTip("Height of the density area, in pixels.");
    c.fixedDensityCheck->setToolTip(
        "Fix the density at the top of the colour scale instead of estimating it.");
    c.densityMaximumBox->setToolTip(
        "The density shown red at the top of the colour scale: events per counting box "
        "(or their summed weights with distance weighting).");
    c.gaussianCheck->setToolTip(
        "Weigh each event by a Gaussian of its distance from the pixel instead of counting it.");
    c.cumulativeCheck->setToolTip(
        "Each time window counts all events from the start, not only its own.");
    c.saveSetupButton->setToolTip("Save these values in a setup file (*.ini).");
    c.loadSetupButton->setToolTip("Load the values of a setup file (*.ini).");
    c.fitToEventsButton->setToolTip(
        "Set the x, y, z and time ranges to the extent of the events in the file above.");
    c.calculateButton->setToolTip("Write the pictures into the event file's folder.");
    c.progressBar->setToolTip("Pictures written so far, and the time left.");
    c.sectionRadio->setToolTip(
        "A cross-section along the line from A to B: distance along the line across, depth "
        "(z) up.");
    c.sectionFromBox->setToolTip("The section's end A: x,y (or latitude,longitude).");
    c.sectionToBox->setToolTip("The section's end B: x,y (or latitude,longitude).");
    c.sectionLatLonCheck->setToolTip(
        "A and B are latitude,longitude in degrees, for a catalogue read from latitude and "
        "longitude.");
    c.sectionWidthBox->setToolTip(
        "The thickness of the section in the events' units: events within half of it on "
        "either side of the line count.");
    c.sectionStepBox->setToolTip("The distance between parallel sections.");
    c.sectionCountBox->setToolTip(
        "How many parallel sections, centred on the line (offsets positive on its left, "
        "looking from A to B).");
}

}  // namespace korvane
