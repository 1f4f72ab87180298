#pragma once
// Where the bundled example (events.dat and its setups) lives, for a user's first calculation.
// An installed program keeps it in a folder nobody may write to, so the user gets a copy of
// their own; a program run from its build folder uses the source tree's examples.

#include <string>

namespace korvane {

// The folder with the user's copy of the example when the program is installed (copied there
// at the first start); else the source tree's examples folder (as it was when the program was
// built), then ../../../examples from the program's folder (the source tree seen from
// build/src/app). Empty when there is no example at all.
std::string BundledExampleFolder();

// The example an installed program brings: share/korvane/examples beside the program's bin
// folder, when it holds "events.dat"; else empty.
std::string InstalledExampleFolder(const std::string& programFolder);

// The user's own example folder: $XDG_DATA_HOME/korvane/examples (an absolute
// XDG_DATA_HOME only), else ~/.local/share/korvane/examples. Empty without a home folder.
std::string UserExampleFolder();

// Copies the example's files from `from` to `to`, unless `to` already holds "events.dat":
// the user's copy is made once and then left to the user. The setups in the copy name the
// copied event file by its full path, so they work from any folder. "events.dat" is copied
// last, so an interrupted copy is completed at the next start. False if a file could not be
// written.
bool CopyExampleOnce(const std::string& from, const std::string& to);

// "Setup.ini" for this program file: an installed program (one with share/korvane/examples
// beside its bin folder) keeps it in the user's configuration folder, also when it may write
// to its own folder (as root), so removing the package leaves no file behind; a program run
// from elsewhere keeps it as SetupIniPath says.
std::string SetupIniPathFor(const std::string& programFilePath);

// SetupIniPathFor this program file.
std::string DefaultSetupIniPath();

}  // namespace korvane
