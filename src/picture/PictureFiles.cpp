#include "picture/PictureFiles.h"

#include <algorithm>
#include <string_view>

#include "common/AtomicFile.h"
#include "picture/BmpEncoder.h"
#include "picture/PngEncoder.h"
#include "picture/TiffEncoder.h"

namespace korvane {
namespace {

std::string DensityFailureText(const std::string& path, const std::string& reason) {
    return "Cannot write the density data " + path + ": " + reason;
}

}  // namespace

bool EncodePicture(PictureFormat format, const cv::Mat& picture, EncodedPicture& encoded) {
    if (format == PictureFormat::Bmp) {
        return BmpPieces(picture, encoded.bmpHeader, encoded.pieces);
    }
    encoded.pieces.clear();
    if (!EncodePng(picture, encoded.png, encoded.bytes)) {
        return false;
    }
    encoded.pieces.emplace_back(reinterpret_cast<const char*>(encoded.bytes.data()),
                                encoded.bytes.size());
    return true;
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
    if (!EncodeFloatTiff(densities, bytes)) {
        return Status::Internal(DensityFailureText(path, "the densities could not be encoded"));
    }
    AtomicFileOptions options;
    options.failureText = DensityFailureText;
    return WriteFileAtomically(
        path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), options);
}

}  // namespace korvane
