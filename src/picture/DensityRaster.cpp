#include "picture/DensityRaster.h"

#include <algorithm>
#include <cstring>

#include "picture/ColourScale.h"

namespace korvane {

namespace {

// Makes `table` hold the colour of every count up to `highest` under `maximum`.
void PrepareCountColours(int highest, float maximum, const ColourFunction& colours,
                         CountColours& table) {
    // The same bits, not just an equal value: a maximum that is not a number stays one.
    // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison): the bits are what is compared.
    if (std::memcmp(&table.maximum, &maximum, sizeof maximum) != 0 ||
        table.pixel != colours.pixel) {
        table.colours.clear();
        table.maximum = maximum;
        table.pixel = colours.pixel;
    }
    for (auto c = static_cast<int>(table.colours.size()); c <= highest; ++c) {
        const cv::Vec3b colour = colours.pixel(static_cast<double>(c), maximum);
        table.colours.push_back({colour[0], colour[1], colour[2], 0});
    }
}

// One row of counts in colours. Each pixel is stored as four bytes, the fourth landing on the
// next pixel, which is stored after it; the last pixel gets its three bytes alone.
void PaintColourRow(const int* counts, int columns, const std::array<unsigned char, 4>* colours,
                    unsigned char* pixels) {
    for (int k = 0; k + 1 < columns; ++k) {
        std::memcpy(pixels + 3 * static_cast<std::size_t>(k), colours[counts[k]].data(), 4);
    }
    std::memcpy(pixels + 3 * static_cast<std::size_t>(columns - 1),
                colours[counts[columns - 1]].data(), 3);
}

}  // namespace

void PaintDensityField(const DensityField& field, float maximum, int left, int bottom,
                       CountColours& countColours, cv::Mat& target, const ColourFunction& colours) {
    const int columns = field.columns;
    const int rows = field.rows;
    if (columns == 0 || rows == 0) {
        return;
    }
    if (field.counted) {
        PrepareCountColours(field.highestCount, maximum, colours, countColours);
    } else {
        countColours.sums.Prepare(colours, maximum);
    }
    const ColourTable& sums = countColours.sums;
    const std::array<unsigned char, 4>* countTable = countColours.colours.data();
    cv::parallel_for_(cv::Range(0, rows), [&](const cv::Range& band) {
        for (int j = band.start; j < band.end; ++j) {
            cv::Vec3b* pixels = target.ptr<cv::Vec3b>(bottom - j) + left;
            if (field.counted) {
                PaintColourRow(&field.counts[static_cast<std::size_t>(j) * (columns + 1)], columns,
                               countTable, pixels[0].val);
            } else {
                const double* row = &field.sums[static_cast<std::size_t>(j) * columns];
                for (int k = 0; k < columns; ++k) {
                    pixels[k] = sums.Pixel(row[k]);
                }
            }
        }
    });
}

void PaintCountRow(const int* counts, int columns, int highest, float maximum,
                   CountColours& countColours, unsigned char* pixels,
                   const ColourFunction& colours) {
    PrepareCountColours(highest, maximum, colours, countColours);
    PaintColourRow(counts, columns, countColours.colours.data(), pixels);
}

}  // namespace korvane
