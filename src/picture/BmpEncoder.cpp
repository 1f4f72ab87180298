#include "picture/BmpEncoder.h"

#include <cstdint>
#include <cstring>

#include "picture/LittleEndian.h"

namespace korvane {

namespace {

constexpr std::size_t FileHeaderSize = 14;
constexpr std::size_t InfoHeaderSize = 40;

}  // namespace

bool EncodeBmp(const cv::Mat& picture, std::vector<unsigned char>& bytes) {
    if (picture.type() != CV_8UC3 || picture.empty()) {
        return false;
    }
    const std::size_t width = static_cast<std::size_t>(picture.cols);
    const std::size_t rowBytes = width * 3;
    const std::size_t stride = (rowBytes + 3) & ~static_cast<std::size_t>(3);
    const std::size_t offset = FileHeaderSize + InfoHeaderSize;
    const std::size_t total = offset + stride * static_cast<std::size_t>(picture.rows);
    bytes.resize(total);
    unsigned char* out = bytes.data();
    std::memset(out, 0, offset);
    out[0] = 'B';
    out[1] = 'M';
    PutLittle32(out + 2, static_cast<std::uint32_t>(total));
    PutLittle32(out + 10, static_cast<std::uint32_t>(offset));
    PutLittle32(out + 14, static_cast<std::uint32_t>(InfoHeaderSize));
    PutLittle32(out + 18, static_cast<std::uint32_t>(picture.cols));
    PutLittle32(out + 22, static_cast<std::uint32_t>(picture.rows));
    PutLittle16(out + 26, 1);   // planes
    PutLittle16(out + 28, 24);  // bits per pixel; no compression, size and resolution left 0
    unsigned char* row = out + offset;
    for (int r = picture.rows - 1; r >= 0; --r, row += stride) {
        std::memcpy(row, picture.ptr<unsigned char>(r), rowBytes);
        std::memset(row + rowBytes, 0, stride - rowBytes);
    }
    return true;
}

}  // namespace korvane
