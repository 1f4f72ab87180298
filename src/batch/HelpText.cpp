#include <cstdio>
#include <string>

#include "Commands.h"

namespace korvane::batch {

std::string HelpText() {
    return R"(korvane-batch: density pictures and movies from an event file, without a window.

Usage:
  korvane-batch spatial SETUP.ini [OPTIONS]
  korvane-batch time SETUP.ini [OPTIONS]
  korvane-batch section SETUP.ini --from X,Y --to X,Y --width W [--step S --count N]
  korvane-batch movie FOLDER MOVIE.avi|.mp4|.mkv|.webm [--codec FOURCC]
  korvane-batch import [CATALOGUE OPTIONS] CATALOGUE OUT.dat
  korvane-batch --help | --version

Commands:
  spatial   Cuts the event cloud into slices along the direction of view and writes one
            picture per slice: space0001.bmp, space0002.bmp, ...
  time      Writes one picture per time window (or, with [Cumulative] 1, of every event up
            to the window's end): time0001.bmp, ... With [Direction] 3 it writes the
            perspective view instead: perspective0001.bmp, ...
  section   Writes the cross-section along the line A-A' from --from to --to: the
            distance along the line from A across the picture, depth (z) up, from the
            events within W/2 on either side of the line; with --count N, N parallel
            sections S apart, centred on the line (offsets positive on the left looking
            from A to B): section0001.bmp, ... The setup's z range, picture size, radius
            and weighting apply; its x and y ranges and number of pictures do not.
  movie     Turns the numbered pictures of FOLDER (space0001.bmp, ... or space0001.png,
            ...) into one movie at 10 frames per second: those of the last run where its
            series index (space.json, ...) says it finished, else those of the format
            written last. The movie file's extension picks the container (any other
            name: AVI) and with it the codec, the first one of these this build can
            write, unless --codec names another (a wrong one lists those it can):
              .avi    MJPG (Motion JPEG)
              .mp4    avc1 (H.264), else mp4v (MPEG-4)
              .mkv    H264 (H.264), else FFV1 (lossless)
              .webm   VP90 (VP9), else VP80 (VP8)
  import    Reads a catalogue and writes its events as a plain event file (x TAB y TAB
            z TAB t, every number with the digits it needs to read back exactly).

Options of section (besides those of spatial):
  --from X,Y          the section's end A, in the events' x and y
  --to X,Y            its end B (not A)
  --lat-lon           --from and --to are LAT,LON in degrees: a catalogue's latitude and
                      longitude, placed in its local frame
  --width W           the thickness of the section, in the events' unit: events within
                      W/2 of its plane count (greater than 0)
  --step S            the distance between parallel sections (needed with --count 2 or more)
  --count N           the number of parallel sections, 1 (default) to 9999 (a --count
                      with no number after it counts the events in the box, as below)
                        korvane-batch section examples/spatial.ini --from 0,0 --to 10,10 --width 2
                        korvane-batch section quakes.ini --lat-lon --from 37.0,36.5 --to 38.0,38.5
                                        --width 5 --step 5 --count 3

Options of spatial, time and section (before or after SETUP.ini; -- ends the options):
  --events FILE       run the setup on FILE instead of its [File-Path]; the pictures go
                      beside FILE
                        korvane-batch spatial examples/spatial.ini --events other/events.dat
  --output-dir DIR    write the pictures (and the other files) into DIR, made if missing
                        korvane-batch time --output-dir /tmp/windows examples/time.ini
  --format bmp|png    the pictures' format (default: the setup's [Pictureformat], else
                      bmp); PNG holds the same pixels in about a tenth of the space
                        korvane-batch spatial --format png examples/spatial.ini
  --colour-map classic|viridis|inferno|cividis|grey
                      the pictures' colours (default: the setup's [Colourmap], else
                      classic, the black-blue-green-red scale)
                        korvane-batch spatial --colour-map viridis examples/spatial.ini
  --scale linear|log|sqrt
                      how densities spread over the colours (default: the setup's
                      [Scale], else linear); log places log(1 + density) against
                      log(1 + maximum) and labels the colour bar at decades; the
                      density data stay the plain sums
                        korvane-batch time --scale log examples/time.ini
  --weights none|value|moment
                      what each event adds to a density (default: the setup's
                      [Weights], else none: 1 each, the densities count events);
                      value: the number of its weight column (a plain file's fifth
                      column, a catalogue's weight or magnitude column); moment:
                      10^(1.5 (M - Mmax)) of its magnitude M, the largest event 1
                        korvane-batch spatial --weights moment --events quakes.csv s.ini
  --maximum catalogue|series|percentile[:P]
                      the top of the colour scale, also over a maximum the setup fixes
                      (default: the setup's fixed maximum or [Maximum], else catalogue:
                      0.8 times the densest spot of the whole file); series: the highest
                      pixel density of this series' pictures; percentile: the P-th
                      percentile (default 99.5) of their non-zero pixel densities. Both
                      compute every picture's densities once before the first picture
                      is coloured
                        korvane-batch time --maximum percentile:99 examples/time.ini
  --radius-unit pixels|coordinates
                      what the radius counts (default: the setup's [Radiusunit], else
                      pixels: pixel and slice steps, so the box follows the picture
                      size); coordinates: the events' units on every axis, so the same
                      events give the same densities at any picture size
                        korvane-batch spatial --radius-unit coordinates examples/spatial.ini
  --windows 1h|1d|1w|1mo|1y|log:START,FIRST,FACTOR
                      time windows on the calendar (default: the setup's [Windows], else
                      the time range in equal steps): each from a boundary of its unit
                      (a count before it: 6h, 2w), or growing windows from START (ISO 8601
                      or seconds), the first FIRST long (seconds, or 30min, 1h, 1d), each
                      next FACTOR times longer; a window holds its start, not its end
                        korvane-batch time --windows 1d quakes.ini
  --utc-offset +HH:MM the zone whose midnight, Monday and first of the month the windows
                      begin at (default: the setup's [Windowsoffset], else UTC)
  --depth-axis down|up
                      which way z runs up a side view and the perspective (default: the
                      setup's [Depthaxis], else down for a catalogue whose z is depth,
                      up otherwise); the labels keep the true depths
                        korvane-batch spatial --depth-axis down quakes.ini
  --true-scale        one unit the same length across and up: the picture keeps within
                      the width and height and shrinks along the shorter range
                        korvane-batch spatial --true-scale quakes.ini
  --exaggeration shown|hidden
                      whether a picture says how much it stretches up against across
                      ("V.E. 3.2x"; default: shown for a catalogue)
                        korvane-batch time --exaggeration shown examples/time.ini
  --ticks round|classic
                      round: ticks on 1-2-5 steps with labels that never touch;
                      classic: eleven ticks at tenths of the range (default: round for a
                      catalogue, classic for a plain event file)
                        korvane-batch spatial --ticks round examples/spatial.ini
  --gaussian          weight each event in the box by a Gaussian of its distance from the
                      pixel (the setup's [Gaussiandistance] 1)
                        korvane-batch spatial --gaussian counted.ini
  --count             count the events in the box (the setup's [Gaussiandistance] 0)
                        korvane-batch time --count examples/time.ini
  --unit TEXT         the unit of the coordinates (default: the setup's [Unit], else m,
                      or km or m for a catalogue of latitude and longitude), named in the
                      axis titles and the slice caption; other than m, or with weights,
                      the colour bar gets the title "events per box" ("weight per box");
                      km or m is also the unit latitude and longitude become
                        korvane-batch spatial --unit km examples/spatial.ini
  --densities         beside each picture, its densities as a 32-bit float TIFF
                      (space0001.tiff), row 0 at the top like the picture
                        korvane-batch spatial --densities examples/spatial.ini
  --volume FILE       all the densities of a spatial or time series in one NetCDF-4
                      file (CF conventions: the slices or windows over x and y, their
                      positions and units), put in place when the series finishes
                        korvane-batch spatial --volume slices.nc examples/spatial.ini
  --overlay FILE      draw FILE over the pictures (again for more files; they replace the
                      setup's [Overlay-Points] and [Overlay-Lines]): named points from a
                      CSV file (name, latitude and longitude or x and y, optionally
                      depth), lines and outlines from GeoJSON or from x,y[,z] lines (a
                      blank line or ">" between polylines); latitude and longitude are
                      placed around the catalogue's origin
                        korvane-batch spatial --overlay stations.csv quakes.ini
  --no-index          no series index (space.json, time.json or perspective.json: each
                      picture's file, caption value, ranges, scales, slice or window and
                      its number of events)
                        korvane-batch time examples/perspective.ini --no-index
  --fit-ranges        set the x, y, z ranges to the events' extent with a margin of 5 %
                      on each side, and time from just before the first event (the hour
                      or the day of calendar time) to just after the last; each in
                      exactly the [NoOfPictures] slices or windows
                        korvane-batch spatial --fit-ranges examples/spatial.ini
  --version           print the version and end
                        korvane-batch --version

Catalogues: an event file whose first line names its columns (a header) is read as a
catalogue: fields split by commas, TABs, ';', '|' or blanks (detected), '#' lines
skipped, quoted fields, a decimal comma where the separator is no comma. Columns are
found by name (x/east/easting, y/north/northing, z, depth, elevation, t/time/origin
time, date, latitude/lat, longitude/lon, magnitude/mag/ML, weight, year/yr, month/mo,
day/dy, hour/hr, minute/mi, second/sc, seconds); a name the user gives matches exactly
first, and one that could mean several columns is refused naming them. Times are
seconds or calendar time: ISO 8601 ("2023-02-06T01:17:34.820Z", UTC when no zone is
given), 2023/02/06 01:17:34, 06.02.2023 01:17:34, a Date and a Time column, or year,
month, day, hour, minute and second columns. Latitude and longitude become km east and
north of the middle of the catalogue (the middle of the shortest arc of its
longitudes; a catalogue whose events lie more than 90 degrees of arc from it is
refused), depth is positive down. Each length column has a unit: [m], (m), _m or _km in
its name, else km beside latitude and longitude, and every length is turned into
--unit. The origin and the time reference (midnight UTC of the earliest day) come from
every readable row before any filter, so a filter never moves the events; a run prints
them as the catalogue's frame. A row whose x, y, z or t cannot be read, or without the
magnitude a filter or the weights need, is skipped and counted. Options of spatial,
time and import:
  --columns MAP       choose columns by name or number (from 1), e.g.
                        --columns x=lon,y=lat,z=depth,t=time
                      (all by number: the file needs no header line)
  --format-preset NAME  a catalogue without a header line: hypodd (.reloc), growclust
                      (its output catalogue), fdsn (FDSN event text, "|" between fields),
                      nonlinloc (.hyp), quakeml (QuakeML 1.2, depth in metres) or zmap
                      (lon lat year month day mag depth hour minute second); all but fdsn
                      are also known by their content
  --origin LAT,LON    the point that becomes x = y = 0 (default: the middle); events
                      more than 90 degrees of arc from it are skipped
  --unit km|m         the unit of x, y and z in the table: what latitude and longitude
                      become and every length column is turned into (also the pictures'
                      unit, see above)
  --xy-unit km|m      the unit of projected x and y columns (default: their names, else
                      the depth's unit, else taken as --unit)
  --depth-unit km|m   the unit of z, depth and elevation columns (default: their names,
                      else km beside latitude and longitude, m in QuakeML)
  --depth-down        z is depth, positive down (the default); --depth-up: elevation
  --date-order dmy|mdy  how 06/02/2023 is read: day first or month first (06.02.2023
                      is read day first without it)
  --time-reference ISO  the instant of t = 0 for calendar time (default: midnight UTC
                      of the earliest event's day)
  --magnitude MIN[:MAX]  only events of this magnitude
                        korvane-batch import --magnitude 2.5 catalogue.csv events.dat
  --drop-type TYPE    leave out the events of this type (the event-type column's word, as
                      "quarry blast"; may be given again); the report counts every type
  --region LATMIN,LATMAX,LONMIN,LONMAX | --region FILE
                      only events inside this box (LONMIN above LONMAX crosses the date
                      line) or polygon (lat,lon lines, or a GeoJSON Polygon); the origin
                      is then the middle of the events inside
  --depth-range MIN:MAX  only events at these depths below the surface (a side may be left
                      out: 5:), in the catalogue's unit
import writes x, y, z and t, and as a fifth column the catalogue's weight column, else its
magnitude (a plain file's own fifth field), where a row has one.

SETUP.ini is a setup file as the desktop program's "Save Setup" writes it: lines of
"[Key]", a TAB and a value ([File-Path], [Direction], [Amin] ... [Radius]). The
calculation runs exactly as "Calculate!" runs with that setup shown in the Options
dialog: the values are rounded as the dialog shows them (a radius of 2.5 becomes 2) and
checked with the dialog's tests. A key missing from the file counts as 0 (an empty path
for [File-Path]). The [Catalogue-...] keys say how a catalogue is read, as the desktop's
import dialog set it; any catalogue option on the command line replaces them all.

Where the pictures go: into the folder of the event file named by [File-Path] (or
--events), unless --output-dir names another folder. A
relative [File-Path] is taken from the setup file's folder, else from the current
directory; --events from the current directory. Existing pictures of the same names
are replaced. The files written: the pictures (BMP, or PNG), the series index (JSON)
and, with --densities, each picture's densities (TIFF); with --volume or [Volume] 1,
all of them in one NetCDF file (space.nc or time.nc beside the pictures).

At the end a summary line says how many pictures were written, how many events were
read and how many of them lie outside every picture (in no slice or window, or off
the ranges the pictures show).

Progress goes to standard error, one line per picture ("picture 3 of 10"), or a bar
when standard error is a terminal; every message the desktop program would show in a
box is printed as "caption: text". Ctrl-C stops a calculation after the picture in
progress (the pictures written are complete), and a movie after the frame in progress
(no movie is left); a second Ctrl-C stops at once.

Exit status:
  0    the series finished, or the movie is written
  1    invalid input: a box value fails a test ("Invalid input!"), the event file is
       missing, cannot be read or holds more events than the memory takes, the setup
       file cannot be read, the output folder cannot be made or written, the movie
       folder holds no pictures, an unknown codec, or wrong usage (an unknown option,
       an option without its value)
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
                 "usage: korvane-batch spatial|time SETUP.ini [OPTIONS]\n"
                 "       korvane-batch section SETUP.ini --from X,Y --to X,Y --width W [OPTIONS]\n"
                 "       korvane-batch movie FOLDER MOVIE.avi|.mp4|.mkv|.webm [--codec FOURCC]\n"
                 "       korvane-batch import [OPTIONS] CATALOGUE OUT.dat\n"
                 "       korvane-batch --help | --version\n",
                 problem.c_str());
}

}  // namespace korvane::batch
