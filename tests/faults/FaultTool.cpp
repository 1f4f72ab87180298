// korvane-fault-tool: what scripts/fault-kill and the fault tests use around the programs.
//
//   korvane-fault-tool check FOLDER       every picture, movie and setup file in FOLDER is
//                                          whole and decodes, and a series index that says
//                                          complete lists exactly the series' pictures there;
//                                          temporaries are counted
//   korvane-fault-tool save-setups FILE N  saves N different setups to FILE, one after another
//
// Exit status: 0 all well, 1 a damaged file (named on standard error), 2 wrong usage.

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/videoio.hpp>
#include <set>
#include <string>
#include <vector>

#include "common/AtomicFile.h"
#include "picture/PictureFileName.h"
#include "setup/SetupFile.h"

namespace {

namespace fs = std::filesystem;
using korvane::CalculationSetup;

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string Bytes(const fs::path& path) {
    std::string bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char block[65536];
        std::size_t got;
        while ((got = std::fread(block, 1, sizeof block, file)) > 0) {
            bytes.append(block, got);
        }
        std::fclose(file);
    }
    return bytes;
}

std::uint32_t Le32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

// A BMP whose header's size is its own and which decodes; a PNG that decodes.
std::string PictureFault(const fs::path& path) {
    if (EndsWith(path.string(), ".bmp")) {
        const std::string bytes = Bytes(path);
        if (bytes.size() < 54 || bytes.compare(0, 2, "BM") != 0) {
            return "no BMP header";
        }
        if (Le32(bytes, 2) != bytes.size()) {
            return "holds " + std::to_string(bytes.size()) + " bytes, its header says " +
                   std::to_string(Le32(bytes, 2));
        }
    }
    return cv::imread(path.string(), cv::IMREAD_UNCHANGED).empty() ? "does not decode" : "";
}

// A movie whose every frame reads back, as many as its index says.
std::string MovieFault(const fs::path& path) {
    cv::VideoCapture capture(path.string(), cv::CAP_ANY);
    if (!capture.isOpened()) {
        return "does not open";
    }
    const long long declared = static_cast<long long>(capture.get(cv::CAP_PROP_FRAME_COUNT));
    long long frames = 0;
    cv::Mat frame;
    while (capture.read(frame)) {
        ++frames;
    }
    if (frames == 0 || frames != declared) {
        return std::to_string(frames) + " frames read, " + std::to_string(declared) + " declared";
    }
    return "";
}

// A setup file of all nineteen lines, each ended by CR LF.
std::string SetupFault(const fs::path& path) {
    const std::string text = Bytes(path);
    std::size_t lines = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos;
         at = text.find("\r\n", at + 2)) {
        ++lines;
    }
    if (lines != 19 || !EndsWith(text, "\r\n")) {
        return std::to_string(lines) + " whole lines of " + std::to_string(text.size()) + " bytes";
    }
    CalculationSetup setup;
    const korvane::Status loaded = korvane::LoadSetupFile(setup, path.string());
    return loaded.ok() ? "" : loaded.message();
}

// An index that says its series is complete must list exactly the pictures of its prefix
// in the folder: a run stopped part-way may leave no index, or one that says incomplete.
std::string IndexFault(const fs::path& path) {
    nlohmann::json index;
    try {
        index = nlohmann::json::parse(Bytes(path));
    } catch (const nlohmann::json::exception& error) {
        return std::string("does not parse: ") + error.what();
    }
    if (!index.value("complete", false)) {
        return "";
    }
    const std::string prefix = path.stem().string();
    std::set<std::string> listed;
    for (const auto& picture : index.value("pictures", nlohmann::json::array())) {
        listed.insert(picture.value("file", ""));
    }
    std::set<std::string> present;
    for (const auto& entry : fs::directory_iterator(path.parent_path())) {
        const std::string name = entry.path().filename().string();
        if (korvane::IsNumberedFileOf(name, prefix) && !EndsWith(name, ".tiff")) {
            present.insert(name);
        }
    }
    if (listed != present) {
        return "says complete with " + std::to_string(listed.size()) +
               " pictures, the folder holds " + std::to_string(present.size());
    }
    return "";
}

int Check(const std::string& folder) {
    int whole = 0;
    int temporaries = 0;
    int damaged = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (korvane::IsTemporaryName(name)) {
            ++temporaries;
            continue;
        }
        std::string fault = "-";
        if (EndsWith(name, ".bmp") || EndsWith(name, ".png")) {
            fault = PictureFault(entry.path());
        } else if (EndsWith(name, ".avi")) {
            fault = MovieFault(entry.path());
        } else if (EndsWith(name, ".ini")) {
            fault = SetupFault(entry.path());
        } else if (EndsWith(name, ".json")) {
            fault = IndexFault(entry.path());
        }
        if (fault == "-") {
            continue;
        }
        if (fault.empty()) {
            ++whole;
        } else {
            ++damaged;
            std::cerr << "damaged: " << entry.path().string() << ": " << fault << "\n";
        }
    }
    std::cout << whole << " whole, " << damaged << " damaged, " << temporaries << " temporaries\n";
    return damaged == 0 ? 0 : 1;
}

int SaveSetups(const std::string& path, long long count) {
    for (long long n = 0; n < count; ++n) {
        CalculationSetup setup;
        // A path long enough that a save takes more than one write of the disk's blocks.
        setup.FilePath = "/data/" + std::string(static_cast<std::size_t>(n % 3000), 'e') + ".dat";
        setup.Amax = static_cast<double>(n);
        setup.NoOfPictures = static_cast<double>(n % 100);
        if (const korvane::Status saved = korvane::SaveSetupFile(setup, path); !saved.ok()) {
            std::cerr << saved.message() << "\n";
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "check") {
        return Check(args[1]);
    }
    if (args.size() == 3 && args[0] == "save-setups") {
        return SaveSetups(args[1], std::stoll(args[2]));
    }
    std::cerr << "usage: korvane-fault-tool check FOLDER | save-setups FILE COUNT\n";
    return 2;
}
