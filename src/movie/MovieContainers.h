#pragma once
// The movie containers the conversion writes, chosen by the movie file's extension, and the
// codecs this build really writes into each.

#include <string>
#include <vector>

#include "common/Status.h"

namespace korvane {

enum class MovieContainer { Avi, Mp4, Mkv, Webm };

// The container of a movie file's extension (".avi", ".mp4", ".mkv", ".webm", in any case);
// AVI for any other name, as every movie was before.
MovieContainer ContainerOfPath(const std::string& moviePath);

// True when `moviePath` ends in one of the containers' extensions (in any case).
bool HasMovieExtension(const std::string& moviePath);

// Ok when a movie may be written to `moviePath`: its name ends in a movie's extension (so
// an event file, a picture or a setup file is never replaced by a movie), and what stands
// there already, if anything, is a regular file (an earlier movie, which is replaced). Else
// InvalidInput naming the file and why.
Status CheckMovieTarget(const std::string& moviePath);

// ".avi", ".mp4", ".mkv" or ".webm".
const char* ContainerExtension(MovieContainer container);

// Every container, AVI first.
std::vector<MovieContainer> AllContainers();

// The FOURCC codes that pass a trial in `container` (a small movie written and read back),
// the best default first: AVI MJPG; MP4 H.264 (avc1) else MPEG-4 (mp4v); MKV H.264 else
// FFV1; WebM VP9 else VP8. Probed once per container and process.
std::vector<std::string> AvailableCodecs(MovieContainer container);

// FOURCC codes this OpenCV build can really write into an AVI file, MJPG first.
std::vector<std::string> AvailableAviCodecs();

// A codec in words, for choosing one: "MJPG: Motion JPEG, plays almost everywhere". An
// unknown code is given as it is.
std::string CodecDescription(const std::string& fourcc);

}  // namespace korvane
