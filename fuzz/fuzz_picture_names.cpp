// One file name against the rules that decide what a listing shows and what the leftover
// cleaner removes: a temporary is never a picture, a picture's name splits into its folder,
// prefix and number and is made again from them, and frame names are pictures of their
// series.

#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "common/AtomicFile.h"
#include "movie/PictureFolder.h"
#include "movie/PictureSeriesListing.h"

using korvane::fuzzing::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string name(reinterpret_cast<const char*>(data), size);
    const bool temporary = korvane::IsTemporaryName(name);
    const bool picture = korvane::IsNumberedPictureName(name);
    Require(!(temporary && picture), "a temporary is never a numbered picture");
    if (temporary) {
        Require(name[0] == '.' && name.size() >= 19, "a temporary is a hidden, long name");
        const std::string_view target = korvane::TemporaryTarget(name);
        Require(!target.empty() &&
                    "." + std::string(target) + name.substr(target.size() + 1) == name &&
                    name.size() == target.size() + 18,
                "a temporary's name is its target's between a point and the hex suffix");
    } else {
        Require(korvane::TemporaryTarget(name).empty(), "only a temporary stands for a target");
    }

    std::string folder;
    std::string prefix;
    const bool split = korvane::SplitNumberedPicture("/folder/" + name, folder, prefix);
    if (name.find('/') == std::string::npos && name.find('\0') == std::string::npos) {
        Require(split == picture, "a picture's path splits exactly when its name is a picture");
    }
    if (split && name.find('/') == std::string::npos) {
        Require(folder == "/folder", "the folder of a split picture is its folder");
        Require(name.compare(0, prefix.size(), prefix) == 0, "the prefix begins the name");
        // The frame of the picture's own number names it again.
        const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - 4);
        int number = 0;
        for (const char digit : digits) {
            number = number < 100000 ? number * 10 + (digit - '0') : number;
        }
        if (digits.size() == 4 || (digits.size() > 4 && digits[0] != '0' && number < 100000)) {
            // In the picture's own format: a series is BMP or PNG throughout.
            const std::string extension = name.substr(name.size() - 4);
            Require(korvane::FramePicturePath("/folder/" + prefix, number, extension) ==
                        "/folder/" + name,
                    "a frame's path names the picture of its number");
        }
    }
    return 0;
}
