#pragma once
// What the main window says of a finished movie: its path, its frames and its size.

#include <cstdint>
#include <string>

namespace korvane {

// A file's size for a person: "512 bytes", "3.2 kB", "3.2 MB", "1.5 GB" (decimal units, one
// decimal).
std::string FileSizeText(std::uintmax_t bytes);

// "Movie written: /x/movie.avi, 40 frames, 3.2 MB".
std::string MovieWrittenText(const std::string& moviePath, int frames, std::uintmax_t bytes);

}  // namespace korvane
