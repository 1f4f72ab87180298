#pragma once
// The engine's diagnostic lines go to standard output, which the desktop program does not
// show; a user who starts it from a terminal sees them.

#include <cstdio>
#include <string>

namespace korvane {

inline void PrintTraceLine(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

}  // namespace korvane
