#pragma once
// Ctrl-C. During a calculation the first one asks the series to stop after the picture in
// progress; a second one ends the program at once, as usual. During a movie conversion,
// which cannot stop half-way, it ends the program at once and removes the unfinished movie.

#include <string>

namespace korvane::batch {

// Installs the handler that only raises the flag below (SIGINT and SIGTERM).
void WatchForInterrupt();

// True once Ctrl-C was pressed.
bool InterruptRequested();

// Installs a handler that removes `path` and ends the program with the interrupted status.
void RemoveOnInterrupt(const std::string& path);

}  // namespace korvane::batch
