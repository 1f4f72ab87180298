#pragma once
// The movie command runs as a program of its own: the video and picture libraries it needs
// take longer to load than a whole series of pictures takes to compute, so korvane-batch
// loads them only when a movie is asked for, by handing the command to that program.

#include <string>
#include <vector>

namespace korvane::batch {

// The name of the movie program, found beside korvane-batch (the build folder) or in the
// installed private folder (KORVANE_MOVIE_PROGRAM).
constexpr const char* MovieProgramName = "korvane-batch-movie";

// Replaces this process by the movie program with `arguments` (what follows "movie").
// Returns only when that fails, with the exit status to use after saying why.
int ExecMovieProgram(const std::vector<std::string>& arguments);

}  // namespace korvane::batch
