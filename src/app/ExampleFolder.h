#pragma once
// Where the bundled example (events.dat and its setup) lives, for a user's first calculation.

#include <string>

namespace korvane {

// The first of these folders that holds "events.dat": the source tree's examples folder (as
// it was when the program was built), then ../../../examples from the program's folder (the
// source tree seen from build/src/app). Empty when neither does.
std::string BundledExampleFolder();

// "Setup.ini" for this program file (see SetupIniPath).
std::string DefaultSetupIniPath();

}  // namespace korvane
