#include "picture/PngEncoder.h"

#include <zlib.h>

#include <cstdint>
#include <cstring>

namespace korvane {

namespace {

constexpr unsigned char Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr unsigned char FilterUp = 2;

void Put32(std::vector<unsigned char>& bytes, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        bytes.push_back(static_cast<unsigned char>((value >> shift) & 0xff));
    }
}

// Appends a chunk: length, type, data, and the CRC of type and data.
void PutChunk(std::vector<unsigned char>& bytes, const char* type, const unsigned char* data,
              std::size_t size) {
    Put32(bytes, static_cast<std::uint32_t>(size));
    const std::size_t typeAt = bytes.size();
    bytes.insert(bytes.end(), type, type + 4);
    bytes.insert(bytes.end(), data, data + size);
    const uLong crc = crc32(0L, bytes.data() + typeAt, static_cast<uInt>(size + 4));
    Put32(bytes, static_cast<std::uint32_t>(crc));
}

// The filtered rows: per row the filter byte, then each pixel's red, green and blue minus
// those of the pixel above (modulo 256).
void FilterRows(const cv::Mat& picture, std::vector<unsigned char>& rows) {
    const std::size_t rowBytes = static_cast<std::size_t>(picture.cols) * 3;
    rows.resize((rowBytes + 1) * static_cast<std::size_t>(picture.rows));
    unsigned char* out = rows.data();
    for (int r = 0; r < picture.rows; ++r) {
        const unsigned char* bgr = picture.ptr<unsigned char>(r);
        const unsigned char* above = r > 0 ? picture.ptr<unsigned char>(r - 1) : nullptr;
        *out++ = FilterUp;
        for (std::size_t c = 0; c < rowBytes; c += 3) {
            for (int channel = 0; channel < 3; ++channel) {
                const std::size_t from = c + 2 - static_cast<std::size_t>(channel);  // BGR -> RGB
                const unsigned char up = above != nullptr ? above[from] : 0;
                *out++ = static_cast<unsigned char>(bgr[from] - up);
            }
        }
    }
}

}  // namespace

bool EncodePng(const cv::Mat& picture, PngBuffers& buffers, std::vector<unsigned char>& bytes) {
    if (picture.type() != CV_8UC3 || picture.empty()) {
        return false;
    }
    std::vector<unsigned char>& rows = buffers.rows;
    std::vector<unsigned char>& compressed = buffers.compressed;
    FilterRows(picture, rows);
    uLongf size = compressBound(static_cast<uLong>(rows.size()));
    compressed.resize(size);
    // The fastest level: these pictures shrink about twenty-fold at level 1 and only a
    // little more at higher levels, which take much longer.
    if (compress2(compressed.data(), &size, rows.data(), static_cast<uLong>(rows.size()), 1) !=
        Z_OK) {
        return false;
    }

    bytes.clear();
    bytes.insert(bytes.end(), Signature, Signature + 8);
    unsigned char header[13];
    const std::uint32_t width = static_cast<std::uint32_t>(picture.cols);
    const std::uint32_t height = static_cast<std::uint32_t>(picture.rows);
    for (int b = 0; b < 4; ++b) {
        header[b] = static_cast<unsigned char>(width >> (24 - 8 * b));
        header[4 + b] = static_cast<unsigned char>(height >> (24 - 8 * b));
    }
    header[8] = 8;   // bits per channel
    header[9] = 2;   // RGB
    header[10] = 0;  // deflate
    header[11] = 0;  // adaptive filtering
    header[12] = 0;  // no interlace
    PutChunk(bytes, "IHDR", header, sizeof header);
    PutChunk(bytes, "IDAT", compressed.data(), size);
    PutChunk(bytes, "IEND", nullptr, 0);
    return true;
}

}  // namespace korvane
