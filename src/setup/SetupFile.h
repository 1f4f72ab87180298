#pragma once
// The setup file: nineteen lines of "[Key]", a TAB and a value.

#include <string>

#include "setup/CalculationSetup.h"

namespace korvane {

// Changes the fields of `setup` whose keys the file holds; false if it cannot be opened.
bool LoadSetupFile(CalculationSetup& setup, const std::string& path);

// Creates or empties the file and writes the nineteen lines (CR LF line ends). False if it
// cannot be created, or if a write fails (then "File open NOT succesfull" goes to standard
// output).
bool SaveSetupFile(const CalculationSetup& setup, const std::string& path);

// Where "Setup.ini" lives: beside the program file when that folder can be written, else in
// the user's configuration folder ($XDG_CONFIG_HOME/Korvane, or ~/.config/Korvane).
std::string SetupIniPath(const std::string& programFilePath);

// "Setup.ini" in the user's configuration folder ($XDG_CONFIG_HOME/Korvane, or
// ~/.config/Korvane), which it creates; empty when the user has no home folder.
std::string UserSetupIniPath();

}  // namespace korvane
