#pragma once
// The setup file: nineteen lines of "[Key]", a TAB and a value, then the output keys
// ([Pictureformat], [Densitydata], [Seriesindex], [Colourmap], [Scale]), each only when it
// differs from its default, and the catalogue keys (setup/CatalogueKeys.h) likewise.

#include <string>

#include "common/Status.h"
#include "common/Trace.h"
#include "setup/CalculationSetup.h"

namespace korvane {

// Changes the fields of `setup` whose keys the file holds. Fails, naming the file and the
// reason, if it cannot be opened or read to its end (then no field changes, and a file that
// opened but could not be read traces "File open NOT succesfull").
Status LoadSetupFile(CalculationSetup& setup, const std::string& path, const TraceSink& trace = {});

// Writes the nineteen lines and any output key that differs from its default (CR LF line ends) into
// a new file that then replaces `path`; a link at `path` stays and the file it names is replaced,
// keeping its permissions; a device is written in place. Fails, naming the file and the reason, if
// it cannot be created, or if a write fails (then "File open NOT succesfull" is traced and the
// previous file stays as it was).
Status SaveSetupFile(const CalculationSetup& setup, const std::string& path,
                     const TraceSink& trace = {});

// Where "Setup.ini" lives: beside the program file when that folder can be written, else in
// the user's configuration folder ($XDG_CONFIG_HOME/Korvane, or ~/.config/Korvane).
std::string SetupIniPath(const std::string& programFilePath);

// "Setup.ini" in the user's configuration folder ($XDG_CONFIG_HOME/Korvane, or
// ~/.config/Korvane), which it creates; empty when the user has no home folder.
std::string UserSetupIniPath();

}  // namespace korvane
