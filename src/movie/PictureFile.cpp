#include "movie/PictureFile.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "common/AtomicFile.h"
#include "common/NumberText.h"
#include "common/ReadableFile.h"

namespace korvane {
namespace {

// The image library's own bounds: larger pictures it refuses with an assertion.
constexpr std::uint64_t MaximumSide = 1 << 20;
constexpr std::uint64_t MaximumPixels = 1 << 30;

std::uint32_t LittleEndian32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

std::uint16_t LittleEndian16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

std::uint32_t BigEndian32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

std::string Claims(std::int64_t width, std::int64_t height) {
    return "its header claims " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels";
}

std::string SizeProblem(std::int64_t width, std::int64_t height) {
    const auto w = static_cast<std::uint64_t>(std::llabs(width));
    const auto h = static_cast<std::uint64_t>(std::llabs(height));
    if (w == 0 || h == 0 || w > MaximumSide || h > MaximumSide || w * h > MaximumPixels) {
        return Claims(width, height);
    }
    return "";
}

std::string BmpProblem(std::string_view bytes) {
    constexpr std::size_t InfoHeaderEnd = 34;
    if (bytes.size() < InfoHeaderEnd) {
        return "it is shorter than a BMP header";
    }
    const auto width = static_cast<std::int32_t>(LittleEndian32(bytes, 18));
    const auto height = static_cast<std::int32_t>(LittleEndian32(bytes, 22));
    if (std::string problem = SizeProblem(width, height); !problem.empty()) {
        return problem;
    }
    const std::uint16_t bitsPerPixel = LittleEndian16(bytes, 28);
    const std::uint32_t compression = LittleEndian32(bytes, 30);
    if (compression == 0 && bitsPerPixel >= 8) {
        const std::uint64_t stride =
            (static_cast<std::uint64_t>(std::llabs(width)) * bitsPerPixel / 8 + 3) / 4 * 4;
        const std::uint64_t rows = static_cast<std::uint64_t>(std::llabs(height));
        const std::uint64_t offset = LittleEndian32(bytes, 10);
        if (offset + stride * rows > bytes.size()) {
            return Claims(width, height) + ", more than its " + std::to_string(bytes.size()) +
                   " bytes hold";
        }
    }
    return "";
}

std::string PngProblem(std::string_view bytes) {
    constexpr std::size_t HeaderEnd = 24;
    if (bytes.size() < HeaderEnd) {
        return "it is shorter than a PNG header";
    }
    return SizeProblem(BigEndian32(bytes, 16), BigEndian32(bytes, 20));
}

}  // namespace

std::string PictureHeaderProblem(std::string_view bytes) {
    if (bytes.substr(0, 2) == "BM") {
        return BmpProblem(bytes);
    }
    if (bytes.substr(0, 8) == "\x89PNG\r\n\x1a\n") {
        return PngProblem(bytes);
    }
    return "";
}

bool PictureHeaderSize(std::string_view bytes, int& width, int& height) {
    std::int64_t w = 0;
    std::int64_t h = 0;
    if (bytes.substr(0, 2) == "BM" && bytes.size() >= 26) {
        // A BMP stored top-down has a negative height.
        w = static_cast<std::int32_t>(LittleEndian32(bytes, 18));
        h = static_cast<std::int32_t>(LittleEndian32(bytes, 22));
    } else if (bytes.substr(0, 8) == "\x89PNG\r\n\x1a\n" && bytes.size() >= 24) {
        w = BigEndian32(bytes, 16);
        h = BigEndian32(bytes, 20);
    } else {
        return false;
    }
    if (!SizeProblem(w, h).empty()) {
        return false;
    }
    width = static_cast<int>(std::llabs(w));
    height = static_cast<int>(std::llabs(h));
    return true;
}

bool ReadPictureSize(const std::string& path, int& width, int& height) {
    FileDescriptor file;
    if (!OpenRegularFile(path, "picture", file).ok()) {
        return false;
    }
    char head[32];
    const std::size_t filled = ReadUpTo(file.get(), head, sizeof head);
    return PictureHeaderSize(std::string_view(head, filled), width, height);
}

}  // namespace korvane
