#include "support/DensityPictures.h"

#include <new>

namespace korvane::testing {

Status WriteDensityPicture(const cv::Mat& raster, const PictureLabels& labels,
                           const std::string& path, cv::Mat& canvas) {
    try {
        SeriesCanvas series;
        series.Prepare(raster.size(), labels);
        series.Compose(0, raster, labels.captionValue).copyTo(canvas);
        EncodedPicture encoded;
        return WritePictureFile(canvas, path, encoded);
    } catch (const cv::Exception& e) {
        return Status::Internal("Cannot write the picture " + path + ": " + e.what());
    } catch (const std::bad_alloc&) {
        return Status::NoMemory("Cannot write the picture " + path + ": not enough memory");
    }
}

}  // namespace korvane::testing
