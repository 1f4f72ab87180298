// A folder of arbitrary file names, as the viewer, the movie and the leftover cleaner list
// it: nothing crashes; a listed picture is a numbered picture of the folder and never a
// temporary; the cleaner removes exactly the temporaries and nothing else.
//
// Input: names separated by '/' (a name cannot hold one), at most 12, each made an empty file.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "common/AtomicFile.h"
#include "movie/PictureFolder.h"
#include "movie/PictureSeriesListing.h"
#include "picture/PictureFileName.h"

using korvane::fuzzing::Require;
namespace fs = std::filesystem;

namespace {

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path folder = korvane::fuzzing::ScratchPath("folder");
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    fs::create_directory(folder);

    const std::string input(reinterpret_cast<const char*>(data), size);
    std::set<std::string> made;
    std::size_t start = 0;
    while (start <= input.size() && made.size() < 12) {
        const std::size_t end = std::min(input.find('/', start), input.size());
        const std::string name = input.substr(start, end - start);
        start = end + 1;
        if (name.empty() || name == "." || name == ".." || name.size() > 200 ||
            name.find('\0') != std::string::npos) {
            continue;
        }
        if (std::ofstream(folder / name)) {
            made.insert(name);
        }
    }
    Require(Names(folder) == made, "the folder holds what was made");

    korvane::PictureSeries series;
    const korvane::Status listed = korvane::ListPictureSeries(folder.string(), series);
    // The one refusal of a readable folder: BMP and PNG pictures of one series side by side.
    Require(listed.ok() || listed.message().find("holds BMP and PNG pictures") != std::string::npos,
            "the folder lists");
    korvane::PictureFolder pictures;
    const korvane::Status opened = korvane::OpenPictureFolder(folder.string(), pictures);
    Require(opened.ok() || !listed.ok(), "the folder opens when it lists");
    int counted = 0;
    for (const korvane::NumberedPicture& picture : pictures.pictures) {
        const std::string name = fs::path(picture.path).filename().string();
        Require(made.count(name) == 1, "a listed picture is a file of the folder");
        Require(!korvane::IsTemporaryName(name), "a temporary is never listed as a picture");
        Require(picture.number >= 0, "a picture's number is not negative");
        counted += korvane::IsNumberedPictureName(name) ? 1 : 0;
    }
    Require(series.count >= 0 && series.count <= static_cast<int>(made.size()),
            "the movie counts no more pictures than there are files");
    if (series.count > 0) {
        Require(!korvane::IsTemporaryName(fs::path(series.firstPicture).filename().string()),
                "a movie never starts with a temporary");
    }
    (void)korvane::PicturesBeyond(folder.string(), pictures.prefix, 1);
    (void)counted;

    // The cleaner of a space series takes the temporaries of space pictures, density files
    // and its index, and nothing else.
    const auto ours = [](std::string_view target) {
        return target == "space.json" || korvane::IsNumberedFileOf(target, "space")
                   ? korvane::TemporaryKind::File
                   : korvane::TemporaryKind::NotOurs;
    };
    std::set<std::string> expected;
    for (const std::string& name : made) {
        if (!korvane::IsTemporaryName(name) ||
            ours(korvane::TemporaryTarget(name)) == korvane::TemporaryKind::NotOurs) {
            expected.insert(name);
        }
    }
    const int removed = korvane::RemoveStaleTemporaries(folder.string(), ours);
    Require(removed == static_cast<int>(made.size() - expected.size()),
            "every leftover temporary is removed");
    Require(Names(folder) == expected, "nothing but the temporaries is removed");
    return 0;
}
