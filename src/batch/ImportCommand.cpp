// korvane-batch import [OPTIONS] CATALOGUE OUT.dat: a catalogue converted into a plain event
// file that other tools and older setups read.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "CatalogueOptions.h"
#include "Commands.h"
#include "ExitStatus.h"
#include "Interrupt.h"
#include "TerminalObserver.h"
#include "catalogue/EventExtent.h"
#include "common/NumberText.h"
#include "common/Paths.h"

namespace korvane::batch {

int RunImportCommand(const std::vector<std::string>& arguments) {
    CatalogueOptions options;
    std::string problem;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size() && problem.empty(); ++i) {
        const std::string& word = arguments[i];
        if (!optionsEnded && word == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && word.size() > 1 && word[0] == '-') {
            if (!TakeCatalogueOption(arguments, i, options, problem)) {
                problem = "unknown option " + word;
            }
        } else {
            files.push_back(word);
        }
    }
    if (problem.empty() && files.size() != 2) {
        problem =
            "import needs a catalogue and the event file to write, e.g. "
            "korvane-batch import catalogue.csv events.dat";
    }
    if (!problem.empty()) {
        ReportUsageError(problem);
        return ExitInvalidInput;
    }
    // Writing the event file over the catalogue it is read from would lose the catalogue.
    if (const Status apart = RefuseOverInput(files[1], "event file", files[0], "catalogue");
        !apart.ok()) {
        std::fprintf(stderr, "korvane-batch: %s\n", apart.message().c_str());
        return ExitInvalidInput;
    }
    EventTable table;
    CatalogueReport report;
    WatchForInterrupt();
    TerminalObserver observer;
    const Status read =
        ReadEvents(files[0], options, table, &report, EventMemoryBudget(), &observer);
    observer.FinishLine();
    if (read.code() == Status::Code::Cancelled) {
        std::fprintf(stderr, "korvane-batch: interrupted; %s was not written\n", files[1].c_str());
        return ExitInterrupted;
    }
    if (!read.ok()) {
        std::fprintf(stderr, "korvane-batch: %s\n", read.message().c_str());
        return ExitInvalidInput;
    }
    const Status written = WritePlainEventFile(table, files[1]);
    if (!written.ok()) {
        std::fprintf(stderr, "korvane-batch: %s\n", written.message().c_str());
        return ExitFailure;
    }
    std::string summary =
        report.header.empty() ? std::to_string(table.count) + " events read." : report.Summary();
    std::fprintf(stderr, "korvane-batch: %s\nkorvane-batch: the events span %s\n", summary.c_str(),
                 ExtentText(EventExtentOf(table), report).c_str());
    if (const std::string frame = report.FrameText(); !frame.empty()) {
        std::fprintf(stderr, "korvane-batch: frame: %s\n", frame.c_str());
    }
    if (std::any_of(table.weightSource.begin(), table.weightSource.end(),
                    [](double number) { return std::isfinite(number); })) {
        const bool weight = report.columnOf[static_cast<std::size_t>(ColumnRole::Weight)] >= 0;
        std::fprintf(stderr, "korvane-batch: the fifth column is the %s\n",
                     report.header.empty() ? "file's own fifth field"
                     : weight              ? "catalogue's weight column"
                                           : "catalogue's magnitude column");
    }
    std::fprintf(stderr, "korvane-batch: written %s\n", files[1].c_str());
    return ExitSuccess;
}

}  // namespace korvane::batch
