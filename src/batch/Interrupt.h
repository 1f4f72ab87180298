#pragma once
// Ctrl-C: the first one asks the series or the movie conversion to stop after the picture
// in progress; a second one ends the program at once, as usual.

namespace korvane::batch {

// Installs the handler that only raises the flag below (SIGINT and SIGTERM).
void WatchForInterrupt();

// True once Ctrl-C was pressed.
bool InterruptRequested();

}  // namespace korvane::batch
