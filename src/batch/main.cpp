// korvane-batch: the command word picks the command; everything else is in the commands.

#include <cstdio>
#include <string>
#include <vector>

#include "CalculationOptions.h"
#include "Commands.h"
#include "ExitStatus.h"
#include "LibraryLogs.h"
#include "MemoryReuse.h"
#include "MovieProgram.h"
#include "common/Licence.h"
#include "setup/CalculateCommand.h"

int main(int argc, char** argv) {
    using namespace korvane::batch;
    SilenceLibraryLogs();
    KeepFreedMemoryForReuse();
    const std::vector<std::string> words(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (words.empty()) {
        ReportUsageError("which command?");
        return ExitInvalidInput;
    }
    const std::string& command = words[0];
    const std::vector<std::string> rest(words.begin() + 1, words.end());
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(HelpText().c_str(), stdout);
        return ExitSuccess;
    }
    if (command == "--version") {
        std::printf("korvane-batch " KORVANE_VERSION "\n%s\n%s\n", korvane::CopyrightLine,
                    korvane::LicenceLine);
        return ExitSuccess;
    }
    if (command == "spatial") {
        return RunCalculationCommand(korvane::SpatialResolvedMode, rest);
    }
    if (command == "section") {
        return RunCalculationCommand(korvane::SpatialResolvedMode, rest, true);
    }
    if (command == "time") {
        return RunCalculationCommand(korvane::TimeResolvedMode, rest);
    }
    if (command == "import") {
        return RunImportCommand(rest);
    }
    if (command == "movie") {
        return ExecMovieProgram(rest);
    }
    ReportUsageError("unknown command \"" + command + "\"");
    return ExitInvalidInput;
}
