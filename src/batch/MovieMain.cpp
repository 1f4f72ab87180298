// korvane-batch-movie: the movie command of korvane-batch ("korvane-batch movie ..." hands
// its arguments to this program).

#include <string>
#include <vector>

#include "Commands.h"
#include "LibraryLogs.h"
#include "movie/VideoWriter.h"

int main(int argc, char** argv) {
    korvane::batch::SilenceLibraryLogs();
    // What the video library prints straight to standard error, bypassing its log level.
    korvane::KeepVideoLibraryQuiet(korvane::batch::VideoLibrarySilenced());
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    return korvane::batch::RunMovieCommand(arguments);
}
