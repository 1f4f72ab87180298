#include <cstdio>
#include <string>

#include "Commands.h"

namespace korvane::batch {

std::string HelpText() {
    return R"(korvane-batch: density pictures and movies from an event file, without a window.

Usage:
  korvane-batch spatial SETUP.ini
  korvane-batch time SETUP.ini
  korvane-batch movie FOLDER MOVIE.avi [--codec FOURCC]
  korvane-batch --help | --version

Commands:
  spatial   Cuts the event cloud into slices along the direction of view and writes one
            picture per slice: space0001.bmp, space0002.bmp, ...
  time      Writes one picture per time window (or, with [Cumulative] 1, of every event up
            to the window's end): time0001.bmp, ... With [Direction] 3 it writes the
            perspective view instead: perspective0001.bmp, ...
  movie     Turns the numbered pictures of FOLDER (space0001.bmp, ...) into one AVI movie
            at 10 frames per second. The codec is MJPG unless --codec names another that
            this build can write (a wrong one lists those it can).

SETUP.ini is a setup file as the desktop program's "Save Setup" writes it: lines of
"[Key]", a TAB and a value ([File-Path], [Direction], [Amin] ... [Radius]). The
calculation runs exactly as "Calculate!" runs with that setup shown in the Options
dialog: the values are rounded as the dialog shows them (a radius of 2.5 becomes 2) and
checked with the dialog's tests. A key missing from the file counts as 0 (an empty path
for [File-Path]).

Where the pictures go: into the folder of the event file named by [File-Path]. A
relative path is taken from the current directory. Existing pictures of the same names
are replaced.

Progress goes to standard error, one line per picture ("picture 3 of 10"), or a bar
when standard error is a terminal; every message the desktop program would show in a
box is printed as "caption: text". Ctrl-C stops a calculation after the picture in
progress (the pictures written are complete), and a movie after the frame in progress
(no movie is left); a second Ctrl-C stops at once.

Exit status:
  0    the series finished, or the movie is written
  1    invalid input: a box value fails a test ("Invalid input!"), the event file is
       missing, cannot be read or holds more events than the memory takes, the setup
       file cannot be read, the movie folder holds no pictures, an unknown codec, or
       wrong usage
  2    any other failure after the work began (a picture or movie that cannot be
       written, not enough memory)
  130  interrupted with Ctrl-C

Example, from the repository's folder (examples/ holds a setup for each kind of series:
spatial.ini, time.ini, time-cumulative.ini, perspective.ini, all for examples/events.dat):
  build/src/batch/korvane-batch spatial examples/spatial.ini
  build/src/batch/korvane-batch movie examples examples/space.avi
An installed program keeps the example in )" KORVANE_EXAMPLES_DIR R"(, where
no pictures can be written: copy the folder into one of yours and run the commands there:
  cp -r )" KORVANE_EXAMPLES_DIR R"( .
  korvane-batch spatial examples/spatial.ini
)";
}

void ReportUsageError(const std::string& problem) {
    std::fprintf(stderr,
                 "korvane-batch: %s\n"
                 "usage: korvane-batch spatial|time SETUP.ini\n"
                 "       korvane-batch movie FOLDER MOVIE.avi [--codec FOURCC]\n"
                 "       korvane-batch --help | --version\n",
                 problem.c_str());
}

}  // namespace korvane::batch
