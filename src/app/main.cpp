// Korvane's desktop program: the application object over Qt's own dialogs.

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/KorvaneApp.h"
#include "app/QtChoosers.h"
#include "app/QtMessageBoxes.h"

namespace {

std::vector<std::string> ArgumentsAfterProgram(const QStringList& arguments) {
    std::vector<std::string> words;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        words.push_back(arguments[i].toStdString());
    }
    return words;
}

// --help and --version answer before the window system is asked for, so they work without
// a display. Returns true when the program is done.
bool AnswerHelpOrVersion(int argc, char** argv) {
    const std::vector<std::string> words(argv + (argc > 0 ? 1 : 0), argv + argc);
    const korvane::CommandLine line = korvane::ParseCommandLine(words);
    if (line.action == korvane::CommandLine::Action::PrintHelp) {
        std::fputs(korvane::UsageText().c_str(), stdout);
        return true;
    }
    if (line.action == korvane::CommandLine::Action::PrintVersion) {
        std::fputs(korvane::VersionText().c_str(), stdout);
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (AnswerHelpOrVersion(argc, argv)) {
        return 0;
    }
    QApplication application(argc, argv);
    // The rest of the line, without the options Qt took for itself (-platform, -style, ...).
    const korvane::CommandLine line =
        korvane::ParseCommandLine(ArgumentsAfterProgram(QApplication::arguments()));
    if (line.action == korvane::CommandLine::Action::Error) {
        std::fprintf(stderr, "korvane: %s\n%s", line.error.c_str(), korvane::UsageText().c_str());
        return 1;
    }
    // The desktop matches the window to its menu entry and icon by this name.
    QGuiApplication::setDesktopFileName(KORVANE_DESKTOP_ID);

    korvane::QtChoosers choosers;
    korvane::QtMessageBoxes messageBoxes;

    korvane::KorvaneApp app({choosers, messageBoxes}, korvane::DefaultOptionsDlgFiles());
    if (!app.Start()) {
        return 1;
    }
    if (!line.file.empty()) {
        // Once the main window is up, so the dialog opens over it.
        QTimer::singleShot(0, &app, [&app, &line] { app.OpenFile(line.file); });
    }
    return QApplication::exec();
}
