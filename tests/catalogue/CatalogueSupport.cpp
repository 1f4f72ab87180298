#include "catalogue/CatalogueSupport.h"

#include <fcntl.h>
#include <unistd.h>

#include "common/NumberText.h"

namespace korvane::catalogue {

const char* const MissingFileMessage = "Input file does not exist! Check filepath!";
const char* const NotNumbersMessage =
    "Check input boxes wether: \n\n  they contain nothing but numbers \n\n  decimal numbers "
    "are written with '.' not ',' ";
const char* const OutOfRangeMessage =
    "Check input boxes wether: \n\n  x/y/z: minima <= maxima \n\n  0 < number of pictures < "
    "9999 \n\n  width and height > 0";
const char* const FinishedMessage = "Calculation finished successfully.";

DialogValues PassingValues(const std::string& eventFile) {
    DialogValues values;
    values.eventFilePath = eventFile;
    values.xMin = "0";
    values.xMax = "10";
    values.yMin = "0";
    values.yMax = "10";
    values.zMin = "0";
    values.zMax = "10";
    values.timeStart = "0";
    values.timeEnd = "10";
    values.width = "20";
    values.height = "16";
    values.densityMaximum = "2";
    values.numberOfPictures = "2";
    values.radius = "1";
    values.direction = 2;
    values.fixedSizeState = 1;
    values.fixedDensityState = 1;
    return values;
}

std::string EventLines(int count) {
    std::string text;
    text.reserve(static_cast<std::size_t>(count) * 24);
    for (int i = 0; i < count; ++i) {
        const double a = (i % 101) / 10.0;
        const double b = (i % 37) / 3.7;
        const double c = (i % 11);
        const double t = (i % 1000) / 100.0;
        text += FormatFixed(a, 1) + "\t" + FormatFixed(b, 3) + "\t" + FormatFixed(c, 0) + "\t" +
                FormatFixed(t, 2) + "\n";
    }
    return text;
}

bool PermissionsDoNotStopWrites(const std::string& readOnlyFolder) {
    const std::string probe = readOnlyFolder + "/.write-probe";
    const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) {
        return false;
    }
    close(fd);
    unlink(probe.c_str());
    return true;
}

}  // namespace korvane::catalogue
