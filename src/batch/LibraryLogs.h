#pragma once
// The video and picture libraries' own log lines never reach the user's terminal: the
// program's messages say what happened instead.

namespace korvane::batch {

// Sets the libraries' log levels to silent, unless the user chose levels of their own in
// the environment. Call before any picture or movie is touched; a program started from
// here inherits the levels.
void SilenceLibraryLogs();

// Whether the video library's log level is the silent one (set here or by the user).
bool VideoLibrarySilenced();

}  // namespace korvane::batch
