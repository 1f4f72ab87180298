#pragma once
// The commands of korvane-batch; each returns the exit status.

#include <string>
#include <vector>

namespace korvane::batch {

// "spatial [OPTIONS] SETUP.ini" or "time ...": `mode` is the run mode, `arguments` what follows
// the command word. `section`: "section SETUP.ini --from X,Y --to X,Y --width W ...", a
// spatial run across the line from X,Y to X,Y.
int RunCalculationCommand(int mode, const std::vector<std::string>& arguments,
                          bool section = false);

// "movie FOLDER MOVIE.avi|.mp4|.mkv|.webm [--codec FOURCC]".
int RunMovieCommand(const std::vector<std::string>& arguments);

// "import [OPTIONS] CATALOGUE OUT.dat": the catalogue as a plain event file.
int RunImportCommand(const std::vector<std::string>& arguments);

// The text of --help.
std::string HelpText();

// One line on standard error that says how the program is called, for wrong usage.
void ReportUsageError(const std::string& problem);

}  // namespace korvane::batch
