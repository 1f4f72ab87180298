#include "picture/PictureFiles.h"

#include <algorithm>
#include <opencv2/imgcodecs.hpp>
#include <string_view>

#include "common/AtomicFile.h"
#include "picture/BmpEncoder.h"

namespace korvane {
namespace {

std::string DensityFailureText(const std::string& path, const std::string& reason) {
    return "Cannot write the density data " + path + ": " + reason;
}

}  // namespace

bool EncodePicture(PictureFormat format, const cv::Mat& picture, std::vector<unsigned char>& bytes) {
    if (format == PictureFormat::Bmp) {
        return EncodeBmp(picture, bytes);
    }
    if (picture.type() != CV_8UC3 || picture.empty()) {
        return false;
    }
    // The fastest level: these pictures (large areas of one colour) shrink about 24-fold at
    // level 1 and only a little more at higher levels, which take much longer, and the
    // encoding is what a PNG series waits for.
    return cv::imencode(".png", picture, bytes, {cv::IMWRITE_PNG_COMPRESSION, 1});
}

void CopyDensities(const DensityField& field, cv::Size area, cv::Mat& image) {
    image.create(area, CV_32FC1);
    image.setTo(cv::Scalar(0));
    const int columns = std::min(field.columns, area.width);
    const int rows = std::min(field.rows, area.height);
    const bool countsThere = field.counts.size() >= static_cast<std::size_t>(field.rows) *
                                                       static_cast<std::size_t>(field.columns + 1);
    const bool sumsThere = field.sums.size() >= static_cast<std::size_t>(field.rows) *
                                                    static_cast<std::size_t>(field.columns);
    if (field.counted ? !countsThere : !sumsThere) {
        return;  // no densities computed yet
    }
    for (int j = 0; j < rows; ++j) {
        float* out = image.ptr<float>(area.height - 1 - j);
        for (int k = 0; k < columns; ++k) {
            out[k] = field.counted ? static_cast<float>(field.CountAt(k, j))
                                   : static_cast<float>(field.SumAt(k, j));
        }
    }
}

Status WriteDensityFile(const cv::Mat& densities, const std::string& path,
                        std::vector<unsigned char>& bytes) {
    bool encoded = false;
    if (densities.type() == CV_32FC1 && !densities.empty()) {
        try {
            encoded = cv::imencode(".tiff", densities, bytes);
        } catch (const cv::Exception&) {
            encoded = false;
        }
    }
    if (!encoded) {
        return Status::Internal(DensityFailureText(path, "the densities could not be encoded"));
    }
    AtomicFileOptions options;
    options.failureText = DensityFailureText;
    return WriteFileAtomically(
        path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), options);
}

}  // namespace korvane
