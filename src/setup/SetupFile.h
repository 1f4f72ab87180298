#pragma once
// The setup file: nineteen lines of "[Key]", a TAB and a value.

#include <string>

#include "common/Status.h"
#include "setup/CalculationSetup.h"

namespace korvane {

// Changes the fields of `setup` whose keys the file holds. Fails, naming the file and the
// reason, if it cannot be opened or read to its end (then no field changes).
Status LoadSetupFile(CalculationSetup& setup, const std::string& path);

// Writes the nineteen lines (CR LF line ends) into a new file that then replaces `path`; a
// link at `path` stays and the file it names is replaced, keeping its permissions; a device
// is written in place. Fails, naming the file and the reason, if it cannot be created, or
// if a write fails (then "File open NOT succesfull" goes to standard output and the previous
// file stays as it was).
Status SaveSetupFile(const CalculationSetup& setup, const std::string& path);

// Where "Setup.ini" lives: beside the program file when that folder can be written, else in
// the user's configuration folder ($XDG_CONFIG_HOME/Korvane, or ~/.config/Korvane).
std::string SetupIniPath(const std::string& programFilePath);

}  // namespace korvane
