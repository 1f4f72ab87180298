// The setup file reader on arbitrary bytes: it never crashes, changes only the fields (and
// output choices) whose keys it meets, and what it read survives saving and loading again
// unchanged.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "FuzzSupport.h"
#include "setup/SetupFile.h"

using korvane::CalculationSetup;
using korvane::fuzzing::Require;

namespace {

// `otherOutput`: every output choice away from its default, so a key that is read shows.
CalculationSetup Sentinel(double base, bool otherOutput = false) {
    CalculationSetup setup;
    setup.FilePath = "sentinel";
    if (otherOutput) {
        setup.Output.format = korvane::PictureFormat::Png;
        setup.Output.densities = true;
        setup.Output.index = false;
    }
    // Each number its own value; the direction and the switches differ between a sentinel
    // of a positive base and one of a negative base.
    double* const fields[] = {nullptr,      &setup.Amin,         &setup.Amax,    &setup.Bmin,
                              &setup.Bmax,  &setup.Timestart,    &setup.Timeend, nullptr,
                              &setup.Width, &setup.Height,       nullptr,        &setup.Maxdensity,
                              nullptr,      &setup.NoOfPictures, &setup.Cmin,    &setup.Cmax,
                              nullptr,      &setup.Radius};
    const bool positive = base > 0;
    for (double* field : fields) {
        if (field != nullptr) {
            *field = base;
        }
        base += 1.0;
    }
    setup.Direction = positive ? std::optional(korvane::ViewDirection::AlongY) : std::nullopt;
    setup.Fixedsize = positive;
    setup.Fixeddensity = positive;
    setup.Gaussiandistance = positive;
    setup.Cumulative = positive;
    return setup;
}

bool AllFinite(const CalculationSetup& s) {
    const double values[] = {s.Amin,    s.Amax,  s.Bmin,   s.Bmax,       s.Timestart,
                             s.Timeend, s.Width, s.Height, s.Maxdensity, s.NoOfPictures,
                             s.Cmin,    s.Cmax,  s.Radius};
    for (const double v : values) {
        if (!std::isfinite(v))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& input = korvane::fuzzing::WriteScratchFile(data, size);
    const std::string text(reinterpret_cast<const char*>(data), size);

    CalculationSetup first = Sentinel(-7.0, true);
    if (text.substr(0, 1024).find('\0') != std::string::npos) {
        // NUL bytes near the start: UTF-16 or binary, refused as a whole.
        Require(!korvane::LoadSetupFile(first, input).ok() && first == Sentinel(-7.0, true),
                "a file with NUL bytes was read");
        return 0;
    }
    Require(korvane::LoadSetupFile(first, input).ok(), "a readable setup file was not loaded");
    // Only fields whose key the file holds change; which ones is the same whatever they held
    // before.
    CalculationSetup second = Sentinel(1000.0);
    Require(korvane::LoadSetupFile(second, input).ok(), "a second load failed");
    if (text.find("[File-Path]\t") == std::string::npos) {
        Require(first.FilePath == "sentinel", "the path changed without its key");
    }
    if (text.find("[Radius]\t") == std::string::npos) {
        Require(first.Radius == -7.0 + 17.0, "the radius changed without its key");
    }
    // The output keys after the nineteen lines change only what they name.
    if (text.find("[Pictureformat]\t") == std::string::npos) {
        Require(first.Output.format == korvane::PictureFormat::Png,
                "the format changed without its key");
    }
    if (text.find("[Densitydata]\t") == std::string::npos) {
        Require(first.Output.densities, "the density data changed without its key");
    }
    if (text.find("[Seriesindex]\t") == std::string::npos) {
        Require(!first.Output.index, "the index changed without its key");
    }
    Require(first.Output.folder.empty(), "a setup file set the output folder");

    // Save and load once more: the file written holds every key, and a second round gives
    // the same text (a path with a line end cannot survive a line-based file, an infinite
    // number is written as a word no reader takes, so those are left out).
    if (!AllFinite(first) || first.FilePath.find_first_of("\r\n") != std::string::npos) {
        return 0;
    }
    const std::string& saved = korvane::fuzzing::ScratchPath("saved.ini");
    Require(korvane::SaveSetupFile(first, saved).ok(), "saving failed");
    CalculationSetup reloadedA = Sentinel(3.0);
    CalculationSetup reloadedB = Sentinel(-3000.0);
    Require(korvane::LoadSetupFile(reloadedA, saved).ok() &&
                korvane::LoadSetupFile(reloadedB, saved).ok(),
            "the saved file was not loaded");
    Require(reloadedA == reloadedB, "the saved file lacks a key");
    Require(reloadedA.FilePath == first.FilePath, "the path changed on the round trip");
    Require(reloadedA.Output == first.Output, "the output choices changed on the round trip");
    Require(korvane::SaveSetupFile(reloadedA, saved).ok(), "saving again failed");
    CalculationSetup again = Sentinel(5.0);
    Require(korvane::LoadSetupFile(again, saved).ok(), "the second save was not loaded");
    Require(again == reloadedA, "a second round trip changed the setup");
    return 0;
}
