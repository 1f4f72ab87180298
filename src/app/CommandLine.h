#pragma once
// The desktop program's command line: korvane [FILE], --help, --version.

#include <string>
#include <vector>

namespace korvane {

struct CommandLine {
    enum class Action {
        Run,           // open the main window (and FILE, if one was given)
        PrintHelp,     // --help or -h: print UsageText() and end
        PrintVersion,  // --version: print VersionText() and end
        Error,         // wrong usage: print `error` and UsageText() to standard error
    };
    Action action = Action::Run;
    std::string file;   // the event file or setup file to open, as given; empty for none
    std::string error;  // what is wrong with the command line (Action::Error)
};

// Reads the arguments after the program name. --help wins over --version, and both win over
// anything wrong elsewhere on the line, so they work before the window system is asked for.
// "--" ends the options: what follows is a file even if it starts with "-".
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// "korvane 1.0" and a line break.
std::string VersionText();

// The text of --help.
std::string UsageText();

// True for a setup file (a name ending in ".ini", any case), which is loaded as a whole;
// anything else is taken as an event file.
bool IsSetupFileName(const std::string& path);

}  // namespace korvane
