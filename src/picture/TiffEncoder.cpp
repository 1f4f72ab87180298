#include "picture/TiffEncoder.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "picture/LittleEndian.h"

namespace korvane {

static_assert(std::endian::native == std::endian::little,
              "the samples are copied as they are in memory");

namespace {

enum FieldType : std::uint16_t { Short = 3, Long = 4 };

struct Entry {
    std::uint16_t tag;
    FieldType type;
    std::uint32_t value;
};

}  // namespace

bool EncodeFloatTiff(const cv::Mat& image, std::vector<unsigned char>& bytes) {
    if (image.type() != CV_32FC1 || image.empty()) {
        return false;
    }
    const std::uint32_t width = static_cast<std::uint32_t>(image.cols);
    const std::uint32_t height = static_cast<std::uint32_t>(image.rows);
    const std::uint32_t dataBytes = width * height * 4;
    // Ascending tags, as the format asks; one strip holds every row.
    const Entry entries[] = {
        {256, Long, width},      // image width
        {257, Long, height},     // image length
        {258, Short, 32},        // bits per sample
        {259, Short, 1},         // no compression
        {262, Short, 1},         // black is zero
        {273, Long, 0},          // strip offset, set below
        {277, Short, 1},         // samples per pixel
        {278, Long, height},     // rows per strip
        {279, Long, dataBytes},  // strip byte count
        {284, Short, 1},         // one plane
        {339, Short, 3},         // IEEE floating point samples
    };
    constexpr std::size_t Count = sizeof entries / sizeof entries[0];
    const std::size_t directoryAt = 8;
    const std::size_t dataAt = directoryAt + 2 + Count * 12 + 4;
    bytes.assign(dataAt + dataBytes, 0);
    unsigned char* out = bytes.data();
    out[0] = 'I';
    out[1] = 'I';
    PutLittle16(out + 2, 42);
    PutLittle32(out + 4, static_cast<std::uint32_t>(directoryAt));
    PutLittle16(out + directoryAt, static_cast<std::uint16_t>(Count));
    for (std::size_t i = 0; i < Count; ++i) {
        unsigned char* entry = out + directoryAt + 2 + i * 12;
        const std::uint32_t value =
            entries[i].tag == 273 ? static_cast<std::uint32_t>(dataAt) : entries[i].value;
        PutLittle16(entry, entries[i].tag);
        PutLittle16(entry + 2, entries[i].type);
        PutLittle32(entry + 4, 1);
        if (entries[i].type == Short) {
            PutLittle16(entry + 8, static_cast<std::uint16_t>(value));
        } else {
            PutLittle32(entry + 8, value);
        }
    }
    // The next directory's offset stays 0: there is none. The samples follow, row by row.
    for (int r = 0; r < image.rows; ++r) {
        std::memcpy(out + dataAt + static_cast<std::size_t>(r) * width * 4, image.ptr<float>(r),
                    static_cast<std::size_t>(width) * 4);
    }
    return true;
}

}  // namespace korvane
