#pragma once
// Paths written in a setup file, as the program that loads it takes them.

#include <string>

namespace korvane {

// The event file path of a setup file taken from the setup file's folder when it is
// relative and exists there; otherwise the path as written (from the working folder).
std::string EventPathBesideSetup(const std::string& eventPath, const std::string& setupPath);

}  // namespace korvane
