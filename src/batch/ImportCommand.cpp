// korvane-batch import [OPTIONS] CATALOGUE OUT.dat: a catalogue converted into a plain event
// file that other tools and older setups read.

#include <cstdio>
#include <string>
#include <vector>

#include "CatalogueOptions.h"
#include "Commands.h"
#include "ExitStatus.h"
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
    const Status read = ReadEvents(files[0], options, table, &report);
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
    if (report.geographic) {
        std::fprintf(stderr, "korvane-batch: x and y are %s east and north of %s, %s\n",
                     options.unit == LengthUnit::Kilometre ? "km" : "m",
                     FormatShortest(report.originLatitude).c_str(),
                     FormatShortest(report.originLongitude).c_str());
    }
    std::fprintf(stderr, "korvane-batch: written %s\n", files[1].c_str());
    return ExitSuccess;
}

}  // namespace korvane::batch
