#include "picture/WorldFile.h"

#include "common/NumberText.h"

namespace korvane {

std::string WorldFileText(const PlaneRange& ranges, const PlaneScale& scale, cv::Size area) {
    const double top = ranges.vertical.min + (area.height - 1) * scale.vertical;
    std::string text;
    for (const double value :
         {scale.horizontal, 0.0, 0.0, -scale.vertical, ranges.horizontal.min, top}) {
        text += FormatShortest(value);
        text += '\n';
    }
    return text;
}

}  // namespace korvane
