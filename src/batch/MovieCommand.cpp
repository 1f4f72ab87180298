// korvane-batch movie FOLDER MOVIE.avi|.mp4|.mkv|.webm [--codec FOURCC] [--series PREFIX]:
// the "Create Movie"
// conversion with the folder and movie file given on the command line instead of chosen in
// dialogs.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "Commands.h"
#include "ExitStatus.h"
#include "Interrupt.h"
#include "TerminalObserver.h"
#include "movie/MovieContainers.h"
#include "movie/MovieConversion.h"
#include "movie/PictureSeriesListing.h"

namespace korvane::batch {
namespace {

void Say(const std::string& line) {
    std::fprintf(stderr, "korvane-batch: %s\n", line.c_str());
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string Listed(const std::vector<std::string>& codecs) {
    std::string list;
    for (const std::string& codec : codecs) {
        list += (list.empty() ? "" : " ") + codec;
    }
    return list;
}

// The codec as this build lists it: an exact match, else one that differs only in case
// ("mjpg" for MJPG). Empty when there is none.
std::string FindCodec(const std::vector<std::string>& codecs, const std::string& wanted) {
    if (std::find(codecs.begin(), codecs.end(), wanted) != codecs.end()) {
        return wanted;
    }
    for (const std::string& codec : codecs) {
        if (Upper(codec) == Upper(wanted)) {
            return codec;
        }
    }
    return "";
}

struct MovieArguments {
    std::vector<std::string> paths;
    std::string codec;
    bool codecGiven = false;
    std::string series;   // empty: the series with the most pictures
    std::string problem;  // empty when the arguments make sense
};

MovieArguments ParseArguments(const std::vector<std::string>& arguments) {
    MovieArguments parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--codec") {
            if (i + 1 >= arguments.size()) {
                parsed.problem = "--codec needs a four-letter code, e.g. --codec MJPG";
                return parsed;
            }
            parsed.codec = arguments[++i];
            parsed.codecGiven = true;
        } else if (argument.rfind("--codec=", 0) == 0) {
            parsed.codec = argument.substr(8);
            parsed.codecGiven = true;
        } else if (argument == "--series" || argument.rfind("--series=", 0) == 0) {
            if (argument == "--series" && i + 1 >= arguments.size()) {
                parsed.problem = "--series needs the prefix of a series, e.g. --series space";
                return parsed;
            }
            parsed.series = argument == "--series" ? arguments[++i] : argument.substr(9);
        } else if (argument.size() > 1 && argument[0] == '-') {
            parsed.problem = "unknown option " + argument;
            return parsed;
        } else {
            parsed.paths.push_back(argument);
        }
    }
    if (parsed.paths.size() != 2) {
        parsed.problem = "movie needs a picture folder and a movie file";
    }
    return parsed;
}

}  // namespace

int RunMovieCommand(const std::vector<std::string>& arguments) {
    const MovieArguments parsed = ParseArguments(arguments);
    if (!parsed.problem.empty()) {
        ReportUsageError(parsed.problem);
        return ExitInvalidInput;
    }
    const std::string& folder = parsed.paths[0];
    const std::string& moviePath = parsed.paths[1];
    if (const Status target = CheckMovieTarget(moviePath); !target.ok()) {
        Say(target.message());
        return ExitInvalidInput;
    }
    if (PictureSeries named; !parsed.series.empty()) {
        if (const Status listed = ListPictureSeries(folder, named, parsed.series);
            listed.code() == Status::Code::InvalidInput) {
            Say(listed.message());
            return ExitInvalidInput;
        }
    }
    // The movie's extension picks the container; the best codec of it comes first.
    const MovieContainer container = ContainerOfPath(moviePath);
    const std::string kind = Upper(ContainerExtension(container) + 1);
    const std::vector<std::string> codecs = AvailableCodecs(container);
    if (codecs.empty()) {
        Say("this build cannot write " + kind + " movies with any codec");
        return ExitFailure;
    }
    std::string codec = parsed.codecGiven ? FindCodec(codecs, parsed.codec) : codecs.front();
    if (codec.empty()) {
        Say("the codec \"" + parsed.codec + "\" cannot write " + kind +
            " movies here; choose one of: " + Listed(codecs));
        return ExitInvalidInput;
    }

    // Ctrl-C stops the conversion after the frame in progress; it then leaves no movie.
    WatchForInterrupt();
    TerminalObserver observer;
    const ConversionResult result =
        ConvertPicturesToMovie(folder, moviePath, codec, observer, parsed.series);
    observer.FinishLine();
    if (result.message) {
        observer.Message(*result.message);
    }
    if (!result.reason.empty()) {
        Say(result.reason);
    }
    switch (result.outcome) {
        case ConversionOutcome::Written:
            if (!result.note.empty()) {
                Say(result.note);
            }
            Say("movie written: " + moviePath + " (" + codec + ", 10 frames per second)");
            return ExitSuccess;
        case ConversionOutcome::EmptyFolder:
            return ExitInvalidInput;
        case ConversionOutcome::Cancelled:
            Say("interrupted; no movie was written");
            return ExitInterrupted;
        case ConversionOutcome::Failed:
            break;
    }
    return ExitFailure;
}

}  // namespace korvane::batch
