// korvane-batch spatial|time [OPTIONS] SETUP.ini: the dialog's "Calculate!" on the setup
// file as the dialog would show it, and the output options given.

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CalculationOptions.h"
#include "CatalogueOptions.h"
#include "Commands.h"
#include "ExitStatus.h"
#include "Interrupt.h"
#include "TerminalObserver.h"
#include "common/Paths.h"
#include "movie/PictureFolder.h"
#include "series/SeriesVolume.h"
#include "setup/CalculateCommand.h"
#include "setup/FitToEvents.h"
#include "setup/SetupFile.h"
#include "setup/SetupPaths.h"

namespace korvane::batch {
namespace {

void Say(const std::string& line) {
    std::fprintf(stderr, "korvane-batch: %s\n", line.c_str());
}

// The engine's trace lines go to standard output, as in the desktop program.
void PrintLine(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

// The progress on standard error, the last picture written, and the series' summary for the
// line at the end.
class BatchSeriesObserver : public TerminalObserver {
  public:
    using TerminalObserver::TerminalObserver;
    void SeriesFinished(const SeriesSummary& finished) override { summary = finished; }
    std::optional<SeriesSummary> summary;
};

// Pictures of the same series numbered beyond the last one this run put on disk were left
// by an earlier, longer run: say so, since a movie of the folder would include them.
void WarnOfOlderPictures(const BatchSeriesObserver& observer) {
    std::string folder;
    std::string prefix;
    if (!observer.summary || observer.summary->lastNumberOnDisk == 0 ||
        !SplitNumberedPicture(observer.summary->lastPathOnDisk, folder, prefix)) {
        return;
    }
    const std::vector<NumberedPicture> stale =
        PicturesBeyond(folder, prefix, observer.summary->lastNumberOnDisk);
    if (!stale.empty()) {
        Say(StalePicturesText(stale, folder, prefix));
    }
}
// The setup the command runs: the setup file as the dialog's boxes would show it (a radius
// of 2.5 as 2), exactly as after opening the dialog, with the options over it and the
// ranges fitted when asked. False, having said why, when there is none.
bool SetupToRun(const CalculationOptions& options, bool section, CalculationSetup& setup) {
    const std::string& setupPath = options.setupPath;
    // What the dialog shows when a setup file lacks a key: zero, an empty path, direction x.
    std::error_code ignored;
    if (std::filesystem::is_directory(setupPath, ignored) ||
        !LoadSetupFile(setup, setupPath, PrintLine).ok()) {
        Say("cannot read the setup file \"" + setupPath + "\"");
        return false;
    }
    // A radius in coordinates keeps its fraction, whether the setup file or the command line
    // measures it so.
    if (options.radiusUnit) {
        setup.Output.radiusUnit = *options.radiusUnit;
    }
    if (section) {
        if (const std::string problem =
                ApplySectionArguments(options.section, setup.Output.section);
            !problem.empty()) {
            ReportUsageError(problem);
            return false;
        }
    }
    setup = setup.AsBoxesShowIt();
    setup.FilePath = EventPathBesideSetup(setup.FilePath, setupPath);
    if (const std::string problem = ApplyCalculationOptions(options, setup); !problem.empty()) {
        Say(problem);
        return false;
    }
    if (options.fitRanges) {
        // Events that cannot be read, or whose ranges would have no width, are the input
        // the calculation cannot use.
        FittedRanges fitted;
        if (const std::string problem = FitRangesToEvents(setup, fitted); !problem.empty()) {
            TerminalObserver(PrintLine).Message(
                *MessageOfCalculation(Status::InvalidInput(problem)));
            return false;
        }
        const auto& t = fitted.texts;
        Say("ranges fitted to the events: x " + t[0] + " to " + t[1] + ", y " + t[2] + " to " +
            t[3] + ", z " + t[4] + " to " + t[5] + ", t " + t[6] + " to " + t[7]);
    }
    return true;
}

// What the catalogue's reading found, unless the input was refused before it.
void SayWhatWasRead(const CalculationOutcome& outcome, const CatalogueReport& catalogue) {
    if (outcome.status.code() == Status::Code::InvalidInput) {
        return;
    }
    if (!catalogue.header.empty()) {
        Say("catalogue: " + catalogue.Summary());
        if (const std::string frame = catalogue.FrameText(); !frame.empty()) {
            Say("catalogue frame: " + frame);
        }
    } else if (catalogue.rowsSkipped > 0) {
        Say("event file: " + catalogue.Summary());  // lines without the weight asked for
    }
}

// Where the files went, and the exit status of the outcome.
int Finish(const CalculationOutcome& outcome, const CalculationSetup& setup, CalculationKind kind) {
    const std::string folder =
        setup.Output.folder.empty() ? FolderOf(setup.FilePath) : setup.Output.folder;
    switch (outcome.status.code()) {
        case Status::Code::Ok:
            Say("the pictures are in " + folder);
            if (setup.Output.volume) {
                Say("the density volume is " + VolumePathOf(setup.Output, kind, folder));
            }
            return ExitSuccess;
        case Status::Code::Cancelled:
            Say("interrupted; the pictures written so far are complete, in " + folder);
            return ExitInterrupted;
        case Status::Code::InvalidInput:
        case Status::Code::NothingMade:
            return ExitInvalidInput;
        default:
            return ExitFailure;
    }
}

}  // namespace

int RunCalculationCommand(int mode, const std::vector<std::string>& arguments, bool section) {
    const CalculationOptions options = ParseCalculationOptions(arguments, section);
    if (!options.problem.empty()) {
        ReportUsageError(options.problem);
        return ExitInvalidInput;
    }
    if (options.section.given && !section) {
        ReportUsageError(
            "--from, --to, --width, --step, --count and --lat-lon belong to the section command");
        return ExitInvalidInput;
    }
    CalculationSetup setup;
    if (!SetupToRun(options, section, setup)) {
        return ExitInvalidInput;
    }

    WatchForInterrupt();
    // The workspace of this one run (the event rows and the picture buffers), held as the
    // desktop program holds its own.
    auto workspace = std::make_unique<CalculationWorkspace>();
    BatchSeriesObserver observer(PrintLine);
    const CalculationKind kind = *KindOfMode(mode);
    const CalculationOutcome outcome = Calculate(setup, kind, observer, *workspace);
    observer.FinishLine();
    if (outcome.status.code() == Status::Code::NothingMade) {
        // The message says itself that no picture was written: one sentence, no caption.
        observer.FinishLine();
        Say(outcome.message->text);
    } else if (outcome.message) {
        observer.Message(*outcome.message);
    }
    SayWhatWasRead(outcome, workspace->catalogue);
    if (observer.summary) {
        Say(SummaryText(*observer.summary));
    }
    WarnOfOlderPictures(observer);
    return Finish(outcome, setup, kind);
}

}  // namespace korvane::batch
