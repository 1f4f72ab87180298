// korvane-batch-movie: the movie command of korvane-batch ("korvane-batch movie ..." hands
// its arguments to this program).

#include <string>
#include <vector>

#include "Commands.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    return korvane::batch::RunMovieCommand(arguments);
}
