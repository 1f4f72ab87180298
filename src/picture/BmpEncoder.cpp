#include "picture/BmpEncoder.h"

#include <cstdint>

#include "picture/LittleEndian.h"

namespace korvane {

namespace {

constexpr std::size_t FileHeaderSize = 14;
constexpr std::size_t InfoHeaderSize = 40;
static_assert(FileHeaderSize + InfoHeaderSize == BmpHeaderSize);

// Rows are padded with zeros to a multiple of four bytes.
constexpr char RowPadding[3] = {0, 0, 0};

}  // namespace

bool BmpPieces(const cv::Mat& picture, std::array<unsigned char, BmpHeaderSize>& header,
               std::vector<std::string_view>& pieces) {
    pieces.clear();
    if (picture.type() != CV_8UC3 || picture.empty()) {
        return false;
    }
    const std::size_t width = static_cast<std::size_t>(picture.cols);
    const std::size_t rowBytes = width * 3;
    const std::size_t stride = (rowBytes + 3) & ~static_cast<std::size_t>(3);
    const std::size_t total = BmpHeaderSize + stride * static_cast<std::size_t>(picture.rows);
    unsigned char* out = header.data();
    header.fill(0);
    out[0] = 'B';
    out[1] = 'M';
    PutLittle32(out + 2, static_cast<std::uint32_t>(total));
    PutLittle32(out + 10, static_cast<std::uint32_t>(BmpHeaderSize));
    PutLittle32(out + 14, static_cast<std::uint32_t>(InfoHeaderSize));
    PutLittle32(out + 18, static_cast<std::uint32_t>(picture.cols));
    PutLittle32(out + 22, static_cast<std::uint32_t>(picture.rows));
    PutLittle16(out + 26, 1);   // planes
    PutLittle16(out + 28, 24);  // bits per pixel; no compression, size and resolution left 0
    const std::string_view padding(RowPadding, stride - rowBytes);
    pieces.reserve(1 + 2 * static_cast<std::size_t>(picture.rows));
    pieces.emplace_back(reinterpret_cast<const char*>(out), BmpHeaderSize);
    for (int r = picture.rows - 1; r >= 0; --r) {
        pieces.emplace_back(reinterpret_cast<const char*>(picture.ptr<unsigned char>(r)), rowBytes);
        if (!padding.empty()) {
            pieces.push_back(padding);
        }
    }
    return true;
}

}  // namespace korvane
