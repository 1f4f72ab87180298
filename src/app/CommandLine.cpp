#include "app/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "common/Licence.h"

namespace korvane {

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    const auto has = [&arguments](const char* word) {
        const auto optionsEnd = std::find(arguments.begin(), arguments.end(), "--");
        return std::find(arguments.begin(), optionsEnd, word) != optionsEnd;
    };
    if (has("--help") || has("-h")) {
        line.action = CommandLine::Action::PrintHelp;
        return line;
    }
    if (has("--version")) {
        line.action = CommandLine::Action::PrintVersion;
        return line;
    }
    bool optionsEnded = false;
    std::vector<std::string> files;
    for (const std::string& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
            line.action = CommandLine::Action::Error;
            line.error = "unknown option \"" + argument + "\"";
            return line;
        } else {
            files.push_back(argument);
        }
    }
    if (files.size() > 1) {
        line.action = CommandLine::Action::Error;
        line.error = "one file at most, not " + std::to_string(files.size());
        return line;
    }
    if (!files.empty()) {
        line.file = files[0];
    }
    return line;
}

std::string VersionText() {
    return std::string("korvane ") + KORVANE_VERSION + "\n" + CopyrightLine + "\n" + LicenceLine +
           "\n";
}

std::string UsageText() {
    return R"(Usage: korvane [FILE]
       korvane --help | --version

Opens Korvane's window. With FILE, the Options dialog of a spatial series opens at once:
an event file (x y z t per line) becomes the dialog's event file, with the other values
as the dialog last had them; a setup file (*.ini, as "Save Setup" writes it) is loaded
as a whole. Choose Calculation -> Time Resolved for a time series.

The pictures are written as BMP or PNG (Calculation -> Output Options...), with the
series index (JSON) and, if chosen, each picture's densities (TIFF). Conversion ->
Create Movie writes the container of the movie file's extension and offers the codecs
this build can write into it, first: .avi MJPG (Motion JPEG), .mp4 H.264 else MPEG-4,
.mkv H.264 else FFV1 (lossless), .webm VP9 else VP8.

  -h, --help    print this text and end
  --version     print the version and end

The first time, the dialog is set up for the bundled example. An installed program
copies it to $XDG_DATA_HOME/korvane/examples (~/.local/share/korvane/examples) so its
pictures can be written; the last setup is kept in ~/.config/Korvane/Setup.ini.
For work without a window, see korvane-batch(1).
)";
}

bool IsSetupFileName(const std::string& path) {
    if (path.size() < 4) {
        return false;
    }
    std::string ending = path.substr(path.size() - 4);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ending == ".ini";
}

}  // namespace korvane
